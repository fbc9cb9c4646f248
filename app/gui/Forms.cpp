#include "app/gui/Forms.h"

#include "app/gui/Unit1.h"
#include "app/gui/Unit2.h"
#include "params/gui/Unit3.h"
#include "settings/gui/Unit5.h"
#include "source/gui/Unit4.h"

#include <QtGlobal>

TForm1 *Form1 = nullptr;
TForm2 *Form2 = nullptr;
TForm3 *Form3 = nullptr;
TForm4 *Form4 = nullptr;
TForm5 *Form5 = nullptr;

void CreateForms()
{
    Q_INIT_RESOURCE(pictures);
    Form1 = new TForm1;
    Form2 = new TForm2(Form1);
    Form3 = new TForm3(Form1);
    Form4 = new TForm4(Form1);
    Form5 = new TForm5(Form1);
}

void DestroyForms()
{
    delete Form5;
    Form5 = nullptr;
    delete Form4;
    Form4 = nullptr;
    delete Form3;
    Form3 = nullptr;
    delete Form2;
    Form2 = nullptr;
    delete Form1;
    Form1 = nullptr;
}
