#pragma once

#include "platform/MenuDocument.h"

#include <QList>
#include <QRectF>
#include <QTimer>
#include <QWidget>

class QVariantAnimation;

// The animated main menu. It draws the groups of its menu file as cards of tiles on a fixed
// 1024 x 768 design canvas scaled to fit the widget (the whole menu always shows, centred), and
// sends the command of a tile when the learner chooses it with the mouse or the keyboard.
class MenuPlayer : public QWidget {
    Q_OBJECT

public:
    explicit MenuPlayer(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(MenuPlayer)

    // Reads the menu file; false (and the previous menu kept) when it is missing or not a menu.
    bool load(const QString& menuFile);
    bool isLoaded() const { return m_loaded; }
    QString errorString() const { return m_error; }

    // Starts the opening animation; the menu counts as playing until stop().
    void play();
    void stop();
    bool isPlaying() const { return m_playing; }
    bool isAnimating() const;

    QString title() const { return m_menu.title; }
    int itemCount() const { return int(m_tiles.size()); }
    QString itemLabel(int index) const;
    QString itemCommand(int index) const;
    int indexOfCommand(const QString& command) const;
    // Where a tile lies in widget coordinates (its resting place, after the animation).
    QRect itemRect(int index) const;

    // The tile the keyboard works on; -1 when none has been chosen yet.
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);
    // Sends the command of a tile, as a click on it does.
    void choose(int index);

    QSize sizeHint() const override { return {1024, 768}; }

signals:
    void command(const QString& command, const QString& args);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tile {
        int group = 0;
        int item = 0;
        QRectF rect;    // design canvas
        qreal glow = 0; // 0..1, eased towards its target
        qreal glowTarget = 0;
    };

    void followParent();
    void layOut();
    void updateGlowTargets();
    QTransform canvasTransform() const;
    int tileAt(const QPointF& widgetPos) const;
    void setHovered(int index);
    void moveCurrent(int dx, int dy);
    void stepGlow();
    qreal tileAppearance(int index) const;
    qreal cardAppearance(int group) const;
    const MenuItem& itemOf(int index) const;

    void paintBackground(QPainter& p) const;
    void paintTitle(QPainter& p) const;
    void paintCard(QPainter& p, int group) const;
    void paintTile(QPainter& p, int index) const;
    void paintFooter(QPainter& p) const;

    MenuDocument m_menu;
    QList<Tile> m_tiles;
    QList<QRectF> m_cards;
    qreal m_squeeze = 1; // vertical factor for menus too long for the canvas
    qreal m_tileFontPx = 17;
    bool m_loaded = false;
    bool m_playing = false;
    QString m_error;

    int m_hovered = -1;
    int m_pressed = -1;
    int m_current = -1;

    QVariantAnimation* m_intro;
    qreal m_introMs;
    QTimer m_glowTimer;
};

// The menu player is part of the program; it is available when it can load its menu file.
bool MoviePlayerInstalled(const QString& menuFile);
