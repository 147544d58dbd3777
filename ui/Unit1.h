#pragma once
#include "platform/ExtDlgs.h"
#include "platform/Forms.h"

class TForm1 : public TForm {
public:
    TForm1();

    TButton* Button1;
    TImage* Image1;
    TImage* Image2;
    TButton* Button2;
    TOpenPictureDialog* OpenPictureDialog1;
    TButton* Button3;
    TImage* Image3;
    TButton* Button4;
    TEdit* Edit1;
    TEdit* Edit2;
    TEdit* Edit3;
    TEdit* Edit4;
    TEdit* Edit5;
    TEdit* Edit6;
    TEdit* Edit7;
    TEdit* Edit8;
    TEdit* Edit9;

    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button3Click(TObject* Sender);
    void Button4Click(TObject* Sender);

private:
    TOpenPictureDialog openPictureDialog_;
};

extern TForm1* Form1;
