#pragma once
// "色設定": the fifteen colour classes, a foreground and a background list of
// 23 hand-drawn colour entries each, and a sample; OK hands the working
// colours back, Cancel drops them.

#include <QDialog>

#include "ide/editor/colour_lookup.h"

class QListWidget;

namespace lumora::editview {

class ColourSample;

class ColourDialog : public QDialog {
    Q_OBJECT
  public:
    ColourDialog(QWidget* parent, const editor::ColourArray& text, const editor::ColourArray& background);

    QListWidget* class_list() const { return classes_; }
    QListWidget* text_list() const { return text_; }
    QListWidget* background_list() const { return background_; }
    ColourSample* sample() const { return sample_; }
    const editor::ColourEditor& working() const { return editor_; }

  private:
    void show_class(int row);
    editor::ColourEditor editor_;
    QListWidget* classes_;
    QListWidget* text_;
    QListWidget* background_;
    ColourSample* sample_;
    bool updating_ = false;
};

// Fills its area with the background and writes "Sample" in the middle.
class ColourSample : public QWidget {
    Q_OBJECT
  public:
    explicit ColourSample(QWidget* parent) : QWidget(parent) {}
    void set_colours(editor::ClassColours c) {
        colours_ = c;
        update();
    }
    editor::ClassColours colours() const { return colours_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    editor::ClassColours colours_;
};

// Runs the dialog; true (and the arrays changed) on OK.
bool run_colour_dialog(QWidget* parent, editor::ColourArray& text, editor::ColourArray& background);

}  // namespace lumora::editview
