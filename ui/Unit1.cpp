#include "ui/Unit1.h"

#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "input/OpenPicture.h"
#include "platform/Windows.h"
#include "ui/Views.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/HueSamples.h"

TForm1* Form1 = nullptr;

// The form definition: controls in creation order, which is also the tab
// order of the buttons and boxes.
TForm1::TForm1() : TForm("Form1", 91, 143, 1036, 780)
{
    Image1 = new TImage(this, 32, 112, 423, 384);
    Image2 = new TImage(this, 464, 112, 423, 384);
    Image3 = new TImage(this, 896, 112, 423, 384);
    Button1 = new TButton(this, 32, 32, 113, 49, "開啟檔案");
    Button2 = new TButton(this, 472, 32, 113, 49, "轉換成HSI");
    Button3 = new TButton(this, 912, 40, 105, 49, "轉回RGB");
    Button4 = new TButton(this, 64, 520, 73, 33, "Button4");
    Edit1 = new TEdit(this, 168, 512, 49, 21, "Edit1");
    Edit2 = new TEdit(this, 224, 512, 49, 21, "Edit2");
    Edit3 = new TEdit(this, 280, 520, 41, 21, "Edit3");
    Edit4 = new TEdit(this, 328, 520, 33, 21, "Edit4");
    Edit5 = new TEdit(this, 384, 520, 41, 21, "Edit5");
    Edit6 = new TEdit(this, 440, 528, 25, 21, "Edit6");
    Edit7 = new TEdit(this, 480, 528, 33, 21, "Edit7");
    Edit8 = new TEdit(this, 528, 520, 25, 21, "Edit8");
    Edit9 = new TEdit(this, 568, 520, 25, 21, "Edit9");
    OpenPictureDialog1 = &openPictureDialog_;
    OpenPictureDialog1->Filter = PictureFilter;

    Button1->OnClick = [this](TObject* sender) { Button1Click(sender); };
    Button2->OnClick = [this](TObject* sender) { Button2Click(sender); };
    Button3->OnClick = [this](TObject* sender) { Button3Click(sender); };
    Button4->OnClick = [this](TObject* sender) { Button4Click(sender); };
}

void TForm1::Button1Click(TObject*)
{
    ResetPlanes();
    if (!OpenPictureDialog1->Execute()) {
        // No owner: the window stays usable while the box waits.
        MessageBoxA(nullptr, "開啟檔案失敗!!", "錯誤", MB_OK | MB_ICONERROR);
        return;
    }
    LoadChosenPicture(OpenPictureDialog1->FilterIndex, OpenPictureDialog1->FileName, *Image1->Picture);
}

void TForm1::Button2Click(TObject*)
{
    ConvertRgbToHsi();
    PaintHueView(*Image2->Canvas);
}

void TForm1::Button3Click(TObject*)
{
    ConvertHsiToRgb();
    PaintReconstructionView(*Image3->Canvas);
}

void TForm1::Button4Click(TObject*)
{
    const auto hues = ReadHueSamples();
    TEdit* const boxes[] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9};
    for (std::size_t k = 0; k < hues.size(); ++k) boxes[k]->SetText(HueText(hues[k]));
}
