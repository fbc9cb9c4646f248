#pragma once

#include <QWidget>
#include <memory>

class TMediaPlayer2;

namespace Ui {
class TForm4;
}

// The Source Preview: a tool window holding the player, docked into a panel of the main window or
// floating above it.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);
    ~TForm4() override;

    // The player; null once it has been released.
    TMediaPlayer2 *Player() const;

    // Docks the window into site, filling it, and shows it.
    void ManualDock(QWidget *site);

    // Destroys the player before the program ends.
    void ReleasePlayer();

private:
    std::unique_ptr<Ui::TForm4> ui;
};
