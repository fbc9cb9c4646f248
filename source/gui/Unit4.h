#pragma once

#include <QWidget>
#include <memory>

class QRubberBand;
class TMediaPlayer2;

namespace Ui {
class TForm4;
}

// The Source Preview: a tool window holding the player, MediaPlayer21 (forms/Unit4.ui). It sits docked
// in a panel of the main window or floats above it; dragging its grip shows where it would land and
// docks or floats it there.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);
    ~TForm4() override;

    // The player; null once it has been released.
    TMediaPlayer2 *Player() const;

    // Docks the window into site, filling it, and shows it; site becomes the place it docks back to.
    void ManualDock(QWidget *site);
    // Floats the window at geometry (its client area, in screen coordinates) and shows it.
    void Float(const QRect &geometry);
    bool Docked() const;

    // Puts the player straight into host, or back into this window when host is null.
    void MovePlayerTo(QWidget *host);

    // Destroys the player before the program ends.
    void ReleasePlayer();

public slots:
    void FormEndDock();
    void FormUnDock();
    void MediaPlayer21NewStream();
    void DockGripMoved(QPoint globalPosition);
    void DockGripDropped(QPoint globalPosition);
    void DockGripActivated();

private:
    bool OverDockSite(QPoint globalPosition) const;
    QRect FloatingGeometryAt(QPoint globalPosition) const;
    void RefreshControls();

    std::unique_ptr<Ui::TForm4> ui;
    QWidget *dockSite_ = nullptr;
    QRect floatingGeometry_;
    QRubberBand *dropOutline_;
};
