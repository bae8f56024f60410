// A window that drags files, as a file manager does, for the virtual X
// session tests: a press of the left button in it starts a drag of the
// files named on the command line. Prints "dropped" or "refused" when the
// drag ends; it stays until it is ended, since the target fetches the
// dragged data from it after the drop.
//
//   drag_source_tool FILE...

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <cstdio>

namespace {

class DragSource : public QLabel {
  public:
    explicit DragSource(QList<QUrl> urls) : QLabel(QStringLiteral("drag me")), urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("drag source"));
        setAlignment(Qt::AlignCenter);
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
    }

  private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) urls.push_back(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
    if (urls.isEmpty()) {
        std::fprintf(stderr, "usage: drag_source_tool FILE...\n");
        return 2;
    }
    DragSource window(urls);
    window.setGeometry(0, 0, 200, 200);
    window.show();
    return app.exec();
}
