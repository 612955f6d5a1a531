// The options dialog "設定": three check boxes for the sound effects, the
// background music and the information line, with OK and Cancel. It edits
// the caller's three option flags directly and only on OK.
#pragma once

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
    // The flags are read when the dialog is created and written on OK only;
    // they must outlive the dialog.
    frmOption(SoundEffects& sound, BackgroundMusic& music, bool& SoundOn, bool& BGMOn,
              bool& InfoOn, QWidget* parent = nullptr);

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

    SoundEffects& m_sound;
    BackgroundMusic& m_music;

    bool& m_SoundOn;
    bool& m_BGMOn;
    bool& m_InfoOn;
};

} // namespace zorbel
