// The start-up splash: a small borderless pink window with a random tagline
// and the motto, shown modally for 1.2 seconds. Loading it seeds the game's
// random generator, once for the whole run.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QFrame;
class QLabel;
class QTimer;

namespace zorbel
{

class Random;

// Which tagline a uniform draw r in [0, 1) picks: r * 5 rounded down, so 0 to 4.
// Draws 0 and 1 both give the first tagline.
int TaglineIndex(double r);
// The tagline for draw k, lines separated by "\n". The two long ones start
// with an empty line so their text stands one line lower.
QString TaglineText(int k);
// The motto is shown under the short taglines only; the long ones would
// overlap it.
bool MottoShown(int k);
// The motto under the tagline.
QString MottoText();

class frmTitle : public QDialog
{
    Q_OBJECT
public:
    // Loading the splash seeds random from the clock and draws the tagline.
    explicit frmTitle(Random& random, QWidget* parent = nullptr);

    // The draw k (0 to 4) this splash was loaded with.
    int taglineIndex() const { return k_; }

    // The controls, named as on the form.
    QFrame* Picture1 = nullptr;
    std::array<QLabel*, 2> lblStatic{}; // 0 the tagline, 1 the motto
    QTimer* timUnload = nullptr;

    // Closes the splash; run by timUnload's first tick.
    void timUnload_Timer();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

public slots:
    // Esc and other rejections are ignored: only the timer ends the splash.
    void reject() override;

private:
    void Form_Load();

    Random& random_;
    int k_ = 0;
    bool unloading_ = false;
};

} // namespace zorbel
