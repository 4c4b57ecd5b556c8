#pragma once
// An empty window the program makes at start-up with the others and never shows; it holds
// nothing and stores nothing.
#include <QWidget>

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;
};

// The window while it exists; set before its constructor's steps run.
TForm2 *form2();
// Makes the window once; it lives until freeForm2.
TForm2 *createForm2();
void freeForm2();
