#include "platform/Forms.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "platform/JPEG.h"
#include "platform/QtPixels.h"

namespace {

// Qt keeps a reference to argc for the application's whole life.
int qtArgc = 1;
char qtProgramName[] = "hsi-demo";
char* qtArgv[] = {qtProgramName, nullptr};

std::unique_ptr<QApplication> ownQtApplication;

// The look of every window: pixel height 11, a sans face that has the
// Traditional Chinese glyphs of the captions.
QFont FormFont()
{
    QFont font;
    font.setFamilies({"MS Sans Serif", "WenQuanYi Micro Hei", "Noto Sans CJK TC", "AR PL UMing TW", "Sans Serif"});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

}  // namespace

TApplication* const Application = [] {
    static TApplication application;
    return &application;
}();

void TApplication::Initialize()
{
    if (!QApplication::instance()) ownQtApplication = std::make_unique<QApplication>(qtArgc, qtArgv);
    QApplication::setFont(FormFont());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) ScreenColorDepth = screen->depth();
}

void TApplication::Run()
{
    if (mainForm_) {
        mainForm_->show();
        QApplication::exec();
    }
    mainForm_.reset();  // the form and its controls go before Qt itself
    ownQtApplication.reset();
}

void TApplication::ShowException(const Exception& e)
{
    if (!QApplication::instance()) {
        std::fprintf(stderr, "hsi-demo: %s\n", e.what());
        return;
    }
    QMessageBox box(QMessageBox::Critical, "hsi-demo", QString::fromStdString(e.Message()), QMessageBox::Ok,
                    mainForm_.get());
    box.exec();
}

void TApplication::HandleException(TObject* sender, const Exception& e)
{
    try {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (...) {
        std::fprintf(stderr, "hsi-demo: %s\n", e.what());  // the display itself failed: say it somewhere
    }
}

void TApplication::Dispatch(TObject* sender, const TNotifyEvent& handler)
{
    try {
        handler(sender);
    } catch (const Exception& e) {
        HandleException(sender, e);
    } catch (const std::bad_alloc&) {
        HandleException(sender, Exception("Out of memory"));
    } catch (const std::exception& e) {
        HandleException(sender, Exception(e.what()));
    } catch (...) {
        HandleException(sender, Exception("An unexpected error occurred"));
    }
}

TForm::TForm(const char* caption, int left, int top, int width, int height)
    : outerWidth_(width), outerHeight_(height)
{
    setWindowTitle(QString::fromUtf8(caption));
    setFont(FormFont());
    setBackgroundRole(QPalette::Button);  // the face colour of buttons
    setAutoFillBackground(true);
    move(left, top);
    resize(width, height);
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (fitted_) return;
    fitted_ = true;
    // The size is the outer one: once a window manager has framed the window,
    // take the frame off the client area.
    QTimer::singleShot(0, this, [this] {
        const QSize frame = frameGeometry().size() - geometry().size();
        if (!frame.isEmpty()) resize(outerWidth_ - frame.width(), outerHeight_ - frame.height());
    });
}

TButton::TButton(QWidget* parent, int left, int top, int width, int height, const char* caption)
    : QPushButton(QString::fromUtf8(caption), parent)
{
    setGeometry(left, top, width, height);
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick) Application->Dispatch(this, OnClick);
    });
}

TEdit::TEdit(QWidget* parent, int left, int top, int width, int height, const char* text)
    : QLineEdit(QString::fromUtf8(text), parent)
{
    setGeometry(left, top, width, height);
    setCursorPosition(0);
}

TImage::TImage(QWidget* parent, int left, int top, int width, int height)
    : QWidget(parent), canvas_(*picture_.Bitmap, width, height)
{
    setGeometry(left, top, width, height);
    // Painting 162,432 pixels one at a time asks for one repaint, not many.
    picture_.Bitmap->OnChange = [this] {
        if (repaintPending_) return;
        repaintPending_ = true;
        update();
    };
}

void TImage::paintEvent(QPaintEvent*)
{
    repaintPending_ = false;
    if (picture_.Bitmap->Empty()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, RowsAsImage(*picture_.Bitmap));
}
