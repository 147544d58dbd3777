// A random session on the real window, offscreen: clicks on its four
// buttons in any order, the dialog answered with good and broken files or
// cancelled, and after every click a check of the workspace, the three
// panels, the readout boxes and the errors shown. The seed is fixed and
// printed on failure; HSI_WINDOW_SESSION_SEED and HSI_WINDOW_SESSION_STEPS
// replay or lengthen it.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "HostileSupport.h"
#include "ui/Unit1.h"
#include "ui/Views.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/HueSamples.h"
#include "tests/support/BoxTexts.h"
#include "tests/support/QtPictures.h"
#include "tests/support/WhenShown.h"

using namespace hostile;

namespace {

const QString JpegFilter = "JPEG (*.jpg *.jpeg *)";
const QString BmpFilter = "BMP (*.bmp)";

// What the dialog is answered with, and what the click must then give.
struct Answer {
    QString label;
    QString filter;  // empty: the dialog is cancelled
    QString path;
    bool good = false;
    QImage picture{};  // good: the left panel's picture
    QString message{};  // bad: a part of the error shown
    bool removeOnAccept = false;  // gone between the dialog and the load
};

// Answers the dialog as a user typing the whole path would; cancels it and
// the box after it, should the dialog not take the answer, so that the
// test fails instead of hanging.
void AnswerDialog(const Answer& a, bool* sawBox)
{
    WhenShown<QFileDialog>([a, sawBox](QFileDialog* dialog) {
        if (a.filter.isEmpty()) {
            dialog->reject();
            WhenShown<QMessageBox>([sawBox](QMessageBox* box) {
                *sawBox = box->text() == "開啟檔案失敗!!";
                box->button(QMessageBox::Ok)->click();
            });
            return;
        }
        dialog->selectNameFilter(a.filter);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!name) qFatal("the dialog has no fileNameEdit");
        name->setText(a.path);
        if (a.removeOnAccept)
            QObject::connect(dialog, &QDialog::accepted, [path = a.path] { std::filesystem::remove(path.toStdString()); });
        static_cast<QDialog*>(dialog)->accept();
        QTimer::singleShot(3000, dialog, [dialog] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->reject();
            if (dialog->isVisible()) dialog->reject();
        });
    });
}

unsigned long EnvNumber(const char* name, unsigned long fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

}  // namespace

class WindowSessionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Scratch> dir;
    std::vector<Answer> answers;
    QStringList shownErrors;

    QString Write(const std::string& name, const Bytes& bytes) { return QString::fromStdString(dir->Write(name, bytes)); }

private slots:
    void initTestCase()
    {
        Application->Initialize();
        Application->OnException = [this](TObject*, const Exception& e) { shownErrors << QString::fromStdString(e.Message()); };
        dir = std::make_unique<Scratch>();
        // Good files: their pixels are known, so the panel and the planes
        // can be checked against them and not against each other.
        answers.push_back({"big.bmp", BmpFilter, Write("big.bmp", PatternBitmap(450, 400)), true, PatternImage(450, 400)});
        answers.push_back({"small.bmp", BmpFilter, Write("small.bmp", PatternBitmap(7, 5)), true, PatternImage(7, 5)});
        answers.push_back({"cancel", "", "", false, {}, ""});
        const auto bad = [&](const std::string& name, const QString& filter, const Bytes& bytes, const QString& message) {
            answers.push_back({QString::fromStdString(name), filter, Write(name, bytes), false, {}, message});
        };
        bad("empty.jpg", JpegFilter, {}, "JPEG error #");
        bad("bitmap.dat", JpegFilter, PatternBitmap(7, 5), "JPEG error #");
        bad("cut.bmp", BmpFilter, Head(PatternBitmap(7, 5), 20), "Cannot read the bitmap");
        bad("png.bmp", BmpFilter, Encoded(PatternImage(9, 9), "PNG"), "Cannot read the bitmap");
        bad("huge.bmp", BmpFilter, Put32(Put32(PatternBitmap(7, 5), BmpWidth, 100000), BmpHeight, 100000),
            "Cannot read the bitmap");
        answers.push_back({"removed.bmp", BmpFilter, QString(), false, {}, "Cannot open file", true});
    }

    void randomClicksKeepEveryPromise()
    {
        const auto seed = static_cast<unsigned>(EnvNumber("HSI_WINDOW_SESSION_SEED", 611));
        const auto steps = static_cast<int>(EnvNumber("HSI_WINDOW_SESSION_STEPS", 150));
        std::mt19937 random(seed);
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        std::deque<QString> recent;
        const auto fail = [&](int step, const QString& why) {
            QString history;
            for (const QString& s : recent) history += "\n  " + s;
            return QString("seed %1 (replay with HSI_WINDOW_SESSION_SEED=%1), step %2: %3\nthe last steps:%4")
                .arg(seed)
                .arg(step + 1)
                .arg(why, history);
        };
        int removed = 0;
        for (int step = 0; step < steps; ++step) {
            const int roll = std::uniform_int_distribution<int>(0, 99)(random);
            const QImage before = ToQImage(*form.Image1->Picture->Bitmap);
            const QStringList boxesBefore = BoxTexts(form);
            shownErrors.clear();
            ::testing::AssertionResult ok = ::testing::AssertionSuccess();
            QString what;
            if (roll < 45) {
                Answer a = answers[std::uniform_int_distribution<std::size_t>(0, answers.size() - 1)(random)];
                if (a.removeOnAccept)
                    a.path = Write("removed-" + std::to_string(++removed) + ".bmp", PatternBitmap(7, 5));
                what = "開啟檔案, " + a.label;
                bool sawBox = false;
                AnswerDialog(a, &sawBox);
                QTest::mouseClick(form.Button1, Qt::LeftButton);
                if (a.filter.isEmpty()) {
                    if (!sawBox) ok = ::testing::AssertionFailure() << "no box 開啟檔案失敗!!";
                    if (ok && !shownErrors.isEmpty()) ok = ::testing::AssertionFailure() << "an error was shown";
                    if (ok) ok = AllPlanes255();
                    if (ok && !(ToQImage(*form.Image1->Picture->Bitmap) == before))
                        ok = ::testing::AssertionFailure() << "the left panel changed";
                } else if (a.good) {
                    if (!shownErrors.isEmpty())
                        ok = ::testing::AssertionFailure() << "error shown: " << shownErrors.join("; ").toStdString();
                    if (ok) ok = SamePixels(ToQImage(*form.Image1->Picture->Bitmap), a.picture);
                    if (ok) ok = PlanesHoldPicture(a.picture);
                } else {
                    if (shownErrors.size() != 1 || !shownErrors[0].contains(a.message))
                        ok = ::testing::AssertionFailure() << "errors shown: [" << shownErrors.join("; ").toStdString()
                                                           << "], wanted one with " << a.message.toStdString();
                    if (ok) ok = AllPlanes255();
                    if (ok && !(ToQImage(*form.Image1->Picture->Bitmap) == before))
                        ok = ::testing::AssertionFailure() << "the left panel changed";
                }
            } else if (roll < 65) {
                what = "轉換成HSI";
                const std::vector<std::uint8_t> rgb = SnapshotRgb();
                QTest::mouseClick(form.Button2, Qt::LeftButton);
                if (SnapshotRgb() != rgb) ok = ::testing::AssertionFailure() << "R, G or B changed";
                if (ok) ok = HsiFollowsRgb();
                if (ok) ok = HueViewShowsH(*form.Image2->Picture->Bitmap);
            } else if (roll < 85) {
                what = "轉回RGB";
                const HsiPlanes hsi = SnapshotHsi();
                QTest::mouseClick(form.Button3, Qt::LeftButton);
                ok = RgbFollowsHsi(hsi);
                if (ok) ok = ViewShowsRgb(*form.Image3->Picture->Bitmap);
            } else {
                what = "Button4";
                QTest::mouseClick(form.Button4, Qt::LeftButton);
                QStringList want;
                for (double h : ReadHueSamples()) want << QString::fromStdString(HueText(h));
                if (BoxTexts(form) != want)
                    ok = ::testing::AssertionFailure() << "boxes " << BoxTexts(form).join(' ').toStdString() << ", H says "
                                                       << want.join(' ').toStdString();
            }
            // Only Button4 writes the boxes, and only a failed load shows an error.
            if (ok && what != "Button4" && BoxTexts(form) != boxesBefore)
                ok = ::testing::AssertionFailure() << "the boxes changed";
            if (ok && !what.startsWith("開啟檔案") && !shownErrors.isEmpty())
                ok = ::testing::AssertionFailure() << "error shown: " << shownErrors.join("; ").toStdString();
            recent.push_back(what);
            if (recent.size() > 20) recent.pop_front();
            if (!ok) QFAIL(qPrintable(fail(step, what + ": " + QString::fromStdString(ok.message()))));
        }
    }
};

QTEST_MAIN(WindowSessionTest)
#include "WindowSessionTest.moc"
