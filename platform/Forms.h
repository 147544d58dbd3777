#pragma once
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "platform/Exception.h"
#include "platform/Graphics.h"

using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* sender)>;
using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;

// The application object: owns Qt's application, the main form and the
// display of errors that leave an event handler.
class TApplication {
public:
    // Starts Qt (or joins the one already running) and samples the screen depth.
    void Initialize();
    // Creates the form; the first one created becomes the main form.
    template <class Form>
    void CreateForm(Form*& reference)
    {
        reference = new Form();
        if (!mainForm_) mainForm_.reset(reference);
    }
    // Shows the main form and runs the message loop until it is closed.
    void Run();

    // Shows the error's message in a box with the error icon.
    void ShowException(const Exception& e);
    // Where every error leaving an event handler ends: OnException if it is
    // set, ShowException otherwise.
    void HandleException(TObject* sender, const Exception& e);
    // Runs an event handler so that no C++ exception unwinds through Qt.
    void Dispatch(TObject* sender, const TNotifyEvent& handler);

    TExceptionEvent OnException;
    QWidget* MainForm() const { return mainForm_.get(); }

private:
    std::unique_ptr<QWidget> mainForm_;
};

extern TApplication* const Application;

// A top-level window laid out in client-area pixels; the size is the outer
// one, frame included.
class TForm : public QWidget {
public:
    TForm(const char* caption, int left, int top, int width, int height);

protected:
    void showEvent(QShowEvent* event) override;

private:
    int outerWidth_;
    int outerHeight_;
    bool fitted_ = false;
};

class TButton : public QPushButton {
public:
    TButton(QWidget* parent, int left, int top, int width, int height, const char* caption);
    TNotifyEvent OnClick;
};

class TEdit : public QLineEdit {
public:
    TEdit(QWidget* parent, int left, int top, int width, int height, const char* text);
    std::string Text() const { return text().toStdString(); }
    // Shown from its start, as a narrow box should.
    void SetText(const std::string& text)
    {
        setText(QString::fromStdString(text));
        setCursorPosition(0);
    }
};

// A picture panel: shows its picture unscaled from the top-left corner, cut
// to the panel.
class TImage : public QWidget {
public:
    TImage(QWidget* parent, int left, int top, int width, int height);
    TPicture* const Picture = &picture_;
    TCanvas* const Canvas = &canvas_;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPicture picture_;
    TCanvas canvas_;
    bool repaintPending_ = false;
};
