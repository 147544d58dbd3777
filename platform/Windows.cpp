#include "platform/Windows.h"

#include <QEventLoop>
#include <QMessageBox>

int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type)
{
    const auto icon = (type & MB_ICONERROR) ? QMessageBox::Critical : QMessageBox::NoIcon;
    QMessageBox box(icon, QString::fromUtf8(caption), QString::fromUtf8(text), QMessageBox::Ok,
                    static_cast<QWidget*>(owner));
    box.setWindowModality(owner ? Qt::WindowModal : Qt::NonModal);
    // Wait in an event loop of our own rather than exec(), which would make
    // the box modal to the whole application.
    QEventLoop wait;
    QObject::connect(&box, &QMessageBox::finished, &wait, &QEventLoop::quit);
    box.show();
    wait.exec();
    return IDOK;
}
