// The main window on Qt's offscreen platform: layout, clicks, panels, boxes.
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

#include "ui/Unit1.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"
#include "tests/support/BoxTexts.h"
#include "tests/support/QtPictures.h"
#include "tests/support/WhenShown.h"

using namespace ChannelPlanes;

namespace {

void ZeroPlanes()
{
    for (auto* p : {&R, &G, &B, &I}) std::fill_n(&(*p)[0][0], PlaneSamples, std::uint8_t{0});
    std::fill_n(&H[0][0], PlaneSamples, 0.0);
    std::fill_n(&S[0][0], PlaneSamples, 0.0);
}

bool PanelIs(const TImage* panel, const std::function<TColor(int, int)>& expected)
{
    const TBitmap& b = *panel->Picture->Bitmap;
    if (b.Width() != PlaneWidth || b.Height() != PlaneHeight) return false;
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x)
            if (b.Pixel(x, y) != expected(x, y)) return false;
    return true;
}

// Chooses `file` under the dialog's entry `filter` and confirms, as a user
// typing the whole path would. Should the dialog refuse, it is cancelled, so
// the test fails instead of hanging.
void WhenDialogShownChoose(const QString& filter, const QString& file)
{
    WhenShown<QFileDialog>([=](QFileDialog* dialog) {
        dialog->selectNameFilter(filter);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name);
        name->setText(file);
        static_cast<QDialog*>(dialog)->accept();  // as the Open button does
        QTimer::singleShot(3000, dialog, [dialog] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->reject();
            if (dialog->isVisible()) dialog->reject();
        });
    });
}

// A picture of known colours, written as a Windows bitmap.
QString WriteBitmap(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x % 251, y % 241, (x + 2 * y) % 256));
    if (!image.save(path, "BMP")) qFatal("cannot write %s", qPrintable(path));
    return path;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> form;
    QStringList shownErrors;

private slots:
    void initTestCase()
    {
        Application->Initialize();
        Application->OnException = [this](TObject*, const Exception& e) { shownErrors << QString::fromStdString(e.Message()); };
    }

    void init()
    {
        ZeroPlanes();  // as at start-up
        shownErrors.clear();
        form = std::make_unique<TForm1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    void cleanup() { form.reset(); }

    void windowProperties()
    {
        QCOMPARE(form->windowTitle(), QString("Form1"));
        // Position and size are the outer ones, frame included.
        QCOMPARE(form->frameGeometry().topLeft(), QPoint(91, 143));
        QTRY_COMPARE(form->frameGeometry().size(), QSize(1036, 780));
        QCOMPARE(form->font().pixelSize(), 11);
        QVERIFY(form->maximumSize().width() > 1318);  // can grow to show all of the right panel
    }

    void captionsHaveRealGlyphs()
    {
        // Every character of every caption is in the font the window really uses.
        const QRawFont raw = QRawFont::fromFont(form->Button1->font());
        QVERIFY2(raw.isValid(), qPrintable(QFontInfo(form->Button1->font()).family()));
        for (const QString& caption : {QString("開啟檔案"), QString("轉換成HSI"), QString("轉回RGB"), QString("Button4")})
            for (QChar c : caption) QVERIFY2(raw.supportsCharacter(c), qPrintable(QString(c) + " in " + raw.familyName()));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::newRow("Image1") << "Image1" << QRect(32, 112, 423, 384) << "";
        QTest::newRow("Image2") << "Image2" << QRect(464, 112, 423, 384) << "";
        QTest::newRow("Image3") << "Image3" << QRect(896, 112, 423, 384) << "";
        QTest::newRow("Button1") << "Button1" << QRect(32, 32, 113, 49) << "開啟檔案";
        QTest::newRow("Button2") << "Button2" << QRect(472, 32, 113, 49) << "轉換成HSI";
        QTest::newRow("Button3") << "Button3" << QRect(912, 40, 105, 49) << "轉回RGB";
        QTest::newRow("Button4") << "Button4" << QRect(64, 520, 73, 33) << "Button4";
        QTest::newRow("Edit1") << "Edit1" << QRect(168, 512, 49, 21) << "Edit1";
        QTest::newRow("Edit2") << "Edit2" << QRect(224, 512, 49, 21) << "Edit2";
        QTest::newRow("Edit3") << "Edit3" << QRect(280, 520, 41, 21) << "Edit3";
        QTest::newRow("Edit4") << "Edit4" << QRect(328, 520, 33, 21) << "Edit4";
        QTest::newRow("Edit5") << "Edit5" << QRect(384, 520, 41, 21) << "Edit5";
        QTest::newRow("Edit6") << "Edit6" << QRect(440, 528, 25, 21) << "Edit6";
        QTest::newRow("Edit7") << "Edit7" << QRect(480, 528, 33, 21) << "Edit7";
        QTest::newRow("Edit8") << "Edit8" << QRect(528, 520, 25, 21) << "Edit8";
        QTest::newRow("Edit9") << "Edit9" << QRect(568, 520, 25, 21) << "Edit9";
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        const std::map<QString, QWidget*> controls = {
            {"Image1", form->Image1}, {"Image2", form->Image2}, {"Image3", form->Image3},
            {"Button1", form->Button1}, {"Button2", form->Button2}, {"Button3", form->Button3},
            {"Button4", form->Button4}, {"Edit1", form->Edit1}, {"Edit2", form->Edit2},
            {"Edit3", form->Edit3}, {"Edit4", form->Edit4}, {"Edit5", form->Edit5},
            {"Edit6", form->Edit6}, {"Edit7", form->Edit7}, {"Edit8", form->Edit8},
            {"Edit9", form->Edit9}};
        QWidget* w = controls.at(name);
        QCOMPARE(w->parentWidget(), form.get());
        QCOMPARE(w->geometry(), geometry);
        QVERIFY(w->isEnabled());
        if (auto* b = qobject_cast<QPushButton*>(w)) QCOMPARE(b->text(), text);
        if (auto* e = qobject_cast<QLineEdit*>(w)) QCOMPARE(e->text(), text);
        if (auto* i = dynamic_cast<TImage*>(w)) QVERIFY(i->Picture->Bitmap->Empty());
    }

    void tabOrder()
    {
        const QList<QWidget*> expected = {form->Button1, form->Button2, form->Button3, form->Button4,
                                          form->Edit1,   form->Edit2,   form->Edit3,   form->Edit4,
                                          form->Edit5,   form->Edit6,   form->Edit7,   form->Edit8,
                                          form->Edit9};
        for (qsizetype k = 0; k < expected.size(); ++k) {
            QWidget* next = expected[k]->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
            QCOMPARE(next, expected[(k + 1) % expected.size()]);
        }
    }

    void clicksInAnyOrderFromStart_data()
    {
        QTest::addColumn<QString>("order");  // 2 = 轉換成HSI, 3 = 轉回RGB, 4 = Button4
        for (const char* order : {"234", "243", "324", "342", "423", "432", "3", "4", "2"}) QTest::newRow(order) << order;
    }

    void clicksInAnyOrderFromStart()
    {
        QFETCH(QString, order);
        const std::map<QChar, TButton*> buttons = {{'2', form->Button2}, {'3', form->Button3}, {'4', form->Button4}};
        for (QChar c : order) QTest::mouseClick(buttons.at(c), Qt::LeftButton);
        QVERIFY(shownErrors.isEmpty());
        const auto black = [](int, int) { return TColor{0}; };
        QCOMPARE(order.contains('2'), !form->Image2->Picture->Bitmap->Empty());
        QCOMPARE(order.contains('3'), !form->Image3->Picture->Bitmap->Empty());
        if (order.contains('2')) QVERIFY(PanelIs(form->Image2, black));
        if (order.contains('3')) QVERIFY(PanelIs(form->Image3, black));
        QVERIFY(form->Image1->Picture->Bitmap->Empty());
        const QStringList initial = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9"};
        QCOMPARE(BoxTexts(*form), order.contains('4') ? QStringList(9, "0") : initial);
    }

    void hueViewShowsHueAsRed()
    {
        // One colour per diagonal band: red, green, blue, magenta, gray.
        const std::uint8_t colours[5][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {90, 90, 90}};
        const int shade[5] = {0, 119, 240, 255, 0};  // hues 0, 119.9997, 240.0003, 300.0001 (saturated), 0
        for (int x = 0; x < PlaneWidth; ++x)
            for (int y = 0; y < PlaneHeight; ++y) {
                const auto& c = colours[(x + y) % 5];
                R[x][y] = c[0], G[x][y] = c[1], B[x][y] = c[2];
            }
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QVERIFY(PanelIs(form->Image2, [&](int x, int y) { return PackColor(std::uint8_t(shade[(x + y) % 5]), 0, 0); }));

        QTest::mouseClick(form->Button4, Qt::LeftButton);  // whole degrees, not the panel's saturated shade
        const QStringList readout = {"0", "119", "300", "0", "240", "0", "119", "119", "240"};
        QCOMPARE(BoxTexts(*form), readout);

        QTest::mouseClick(form->Button3, Qt::LeftButton);
        const std::uint8_t back[5][3] = {{255, 0, 0}, {0, 254, 0}, {0, 0, 254}, {255, 0, 254}, {90, 90, 90}};
        QVERIFY(PanelIs(form->Image3, [&](int x, int y) {
            const auto& c = back[(x + y) % 5];
            return PackColor(c[0], c[1], c[2]);
        }));
        // The boxes keep their text until Button4 is clicked again.
        QCOMPARE(BoxTexts(*form), readout);
    }

    void convertBackAfterResetGoesFarOutOfRange()
    {
        ResetPlanes();  // what every click of 開啟檔案 leaves before a picture arrives
        QTest::mouseClick(form->Button3, Qt::LeftButton);
        // -23545.9, -64770 and 89080.9 keep their low eight bits.
        QVERIFY(PanelIs(form->Image3, [](int, int) { return PackColor(7, 254, 248); }));
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        QCOMPARE(BoxTexts(*form), QStringList(9, "255"));
    }

    void cancelledDialogShowsTheBoxAndLeavesPlanesAt255()
    {
        bool sawBox = false;
        WhenShown<QFileDialog>([&](QFileDialog* dialog) {
            WhenShown<QMessageBox>([&](QMessageBox* box) {
                sawBox = true;
                QCOMPARE(box->text(), QString("開啟檔案失敗!!"));
                QCOMPARE(box->windowTitle(), QString("錯誤"));
                QCOMPARE(box->icon(), QMessageBox::Critical);
                QCOMPARE(box->buttons().size(), 1);
                QCOMPARE(box->parentWidget(), nullptr);
                QCOMPARE(box->windowModality(), Qt::NonModal);
                // The window stays usable: this click runs inside the wait.
                QTest::mouseClick(form->Button2, Qt::LeftButton);
                box->button(QMessageBox::Ok)->click();
            });
            dialog->reject();
        });
        // Button2's conversion saw all planes at 255: white, hue 0.
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QVERIFY(sawBox);
        QVERIFY(shownErrors.isEmpty());
        QVERIFY(PanelIs(form->Image2, [](int, int) { return TColor{0}; }));
        QVERIFY(std::all_of(&R[0][0], &R[0][0] + PlaneSamples, [](auto v) { return v == 255; }));
        QVERIFY(std::all_of(&I[0][0], &I[0][0] + PlaneSamples, [](auto v) { return v == 255; }));
        QVERIFY(std::all_of(&S[0][0], &S[0][0] + PlaneSamples, [](auto v) { return v == 0; }));  // white: no saturation
    }

    void errorLeavingAHandlerIsShownAndTheWindowGoesOn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("Exception") << 0 << "JPEG error #53";
        QTest::newRow("std::exception") << 1 << "vector::at";
        QTest::newRow("anything else") << 2 << "An unexpected error occurred";
    }

    void errorLeavingAHandlerIsShownAndTheWindowGoesOn()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        form->Button4->OnClick = [kind](TObject*) {
            if (kind == 0) throw Exception("JPEG error #53");
            if (kind == 1) throw std::out_of_range("vector::at");
            throw 42;
        };
        // Without OnException the application's own display shows it.
        const TExceptionEvent recorder = Application->OnException;
        Application->OnException = nullptr;
        QString shown;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        Application->OnException = recorder;
        QCOMPARE(shown, message);
        QTest::mouseClick(form->Button2, Qt::LeftButton);  // still answering
        QVERIFY(!form->Image2->Picture->Bitmap->Empty());
    }

    void loadsABitmapChosenInTheDialog_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("100 x 100") << 100 << 100;
        QTest::newRow("1000 x 1000") << 1000 << 1000;
        QTest::newRow("wide and short") << 600 << 50;
    }

    void loadsABitmapChosenInTheDialog()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QTemporaryDir dir;
        const QString file = WriteBitmap(dir.filePath("picture.bmp"), width, height);
        WhenDialogShownChoose("BMP (*.bmp)", file);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QVERIFY2(shownErrors.isEmpty(), qPrintable(shownErrors.join('\n')));
        QCOMPARE(form->Image1->Picture->Bitmap->Width(), width);
        QCOMPARE(form->Image1->Picture->Bitmap->Height(), height);
        for (int y = 0; y < PlaneHeight; ++y)
            for (int x = 0; x < PlaneWidth; ++x) {
                const bool inside = x < width && y < height;
                QCOMPARE(int(R[x][y]), inside ? x % 251 : 255);
                QCOMPARE(int(G[x][y]), inside ? y % 241 : 255);
                QCOMPARE(int(B[x][y]), inside ? (x + 2 * y) % 256 : 255);
                QCOMPARE(H[x][y], 255.0);
                QCOMPARE(S[x][y], 255.0);
                QCOMPARE(int(I[x][y]), 255);
            }
    }

    void failedLoadKeepsTheEarlierPicture_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a JPEG") << "JPEG (*.jpg *.jpeg *)" << "bad.jpg" << QByteArray("BM no JPEG here")
                                    << "JPEG error #";
        QTest::newRow("empty JPEG") << "JPEG (*.jpg *.jpeg *)" << "empty.jpg" << QByteArray() << "JPEG error #";
        QTest::newRow("broken bitmap") << "BMP (*.bmp)" << "bad.bmp" << QByteArray("BM\x10\x00\x00\x00", 6) << "bitmap";
    }

    void failedLoadKeepsTheEarlierPicture()
    {
        QFETCH(QString, filter);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        WhenDialogShownChoose("BMP (*.bmp)", WriteBitmap(dir.filePath("good.bmp"), 120, 80));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QVERIFY(shownErrors.isEmpty());
        const QImage before = ToQImage(*form->Image1->Picture->Bitmap);

        QFile bad(dir.filePath(name));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(bytes);
        bad.close();
        WhenDialogShownChoose(filter, bad.fileName());
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(shownErrors.size(), 1);
        QVERIFY2(shownErrors[0].contains(message), qPrintable(shownErrors[0]));
        QCOMPARE(ToQImage(*form->Image1->Picture->Bitmap), before);
        QVERIFY(std::all_of(&R[0][0], &R[0][0] + PlaneSamples, [](auto v) { return v == 255; }));
        QVERIFY(std::all_of(&H[0][0], &H[0][0] + PlaneSamples, [](auto v) { return v == 255; }));
    }

    void cancelAfterALoadKeepsThePicture()
    {
        QTemporaryDir dir;
        WhenDialogShownChoose("BMP (*.bmp)", WriteBitmap(dir.filePath("good.bmp"), 64, 64));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        const QImage before = ToQImage(*form->Image1->Picture->Bitmap);
        WhenShown<QFileDialog>([](QFileDialog* dialog) {
            dialog->reject();
            WhenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        });
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(ToQImage(*form->Image1->Picture->Bitmap), before);
        QVERIFY(std::all_of(&G[0][0], &G[0][0] + PlaneSamples, [](auto v) { return v == 255; }));
    }

    void dialogOffersTheTwoEntries()
    {
        QStringList filters;
        int selected = -1;
        WhenShown<QFileDialog>([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            selected = static_cast<int>(filters.indexOf(dialog->selectedNameFilter()));
            dialog->reject();
            WhenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        });
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(filters, QStringList({"JPEG (*.jpg *.jpeg *)", "BMP (*.bmp)"}));
        QCOMPARE(selected, 0);
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
