#pragma once
// The converter window: choose a .fr file (its mapinfo.dat fills the fields),
// adjust the corners, press Start.

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lumora::orv {

class OrvWindow : public QWidget {
    Q_OBJECT

  public:
    // Returns the chosen path, or an empty string when cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;
    using ErrorReporter = std::function<void(QWidget* parent, const QString& message)>;

    explicit OrvWindow(QWidget* parent = nullptr);

    static QString fileFilter();
    // Tests and embedders replace the modal dialogs.
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }
    // Output folder; the current folder unless set.
    void setOutputDir(const QString& dir) { out_dir_ = dir; }

  public slots:
    void chooseFile();
    void start();

  private:
    void report(const std::string& message);

    QPushButton* btn_file_;
    QLabel* label_path_;
    QPushButton* btn_start_;
    QLineEdit* edit_width_;
    QLineEdit* edit_height_;
    QRadioButton* rd_normal_;
    QRadioButton* rd_abs_;
    QLineEdit* edit_lu_lat_;
    QLineEdit* edit_lu_lon_;
    QLineEdit* edit_rd_lat_;
    QLineEdit* edit_rd_lon_;
    FileChooser chooser_;
    ErrorReporter reporter_;
    QString out_dir_;
};

}  // namespace lumora::orv
