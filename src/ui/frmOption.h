// The options dialog "設定": three check boxes for the sound effects, the
// background music and the information line, with OK and Cancel. On OK it
// switches the sound and the music and answers the flags chosen.
#pragma once

#include "game/GameState.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace zorbel
{

class BackgroundMusic;
class SoundEffects;

class frmOption : public QDialog
{
    Q_OBJECT
public:
    // The boxes start as `flags` say.
    frmOption(SoundEffects& sound, BackgroundMusic& music, const OptionFlags& flags,
              QWidget* parent = nullptr);

    // The flags applied by OK (the starting ones until then).
    OptionFlags chosen() const { return flags_; }

    // The controls, named as on the form.
    QCheckBox* chkSound = nullptr;
    QCheckBox* chkBGM = nullptr;
    QCheckBox* chkInfo = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdOK = nullptr;

    // Applies the three boxes, plays the confirmation and closes.
    void cmdOK_Click();
    // Closes without applying anything.
    void cmdCancel_Click();

private:
    void Form_Load();

    SoundEffects& sound_;
    BackgroundMusic& music_;

    OptionFlags flags_;
};

} // namespace zorbel
