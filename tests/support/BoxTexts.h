#pragma once
#include <QStringList>

#include "ui/Unit1.h"

// The nine readout boxes' texts, Edit1 first.
inline QStringList BoxTexts(const TForm1& form)
{
    QStringList texts;
    for (const TEdit* e : {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit6, form.Edit7,
                           form.Edit8, form.Edit9})
        texts << e->text();
    return texts;
}
