#pragma once

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;

// The program's five windows, each created once at start and living until the end.
extern TForm1 *Form1;
extern TForm2 *Form2;
extern TForm3 *Form3;
extern TForm4 *Form4;
extern TForm5 *Form5;

// Creates the windows in their fixed order: main window, About box, Parameter Builder, Source
// Preview, Options. The main window is not shown yet.
void CreateForms();

// Destroys them, last created first.
void DestroyForms();
