#include "ui/frmOption.h"

#include "audio/AudioInterfaces.h"
#include "effects/Look.h"

#include <QCheckBox>
#include <QPushButton>

namespace zorbel
{

namespace
{
// Client area 3420 x 1725 twips.
constexpr int kClientWidthTw = 3420;
constexpr int kClientHeightTw = 1725;

bool ticked(const QCheckBox* box)
{
    // Anything but cleared counts as ticked.
    return box->checkState() != Qt::Unchecked;
}
} // namespace

frmOption::frmOption(SoundEffects& sound, BackgroundMusic& music, const OptionFlags& flags,
                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      sound_(sound), music_(music), flags_(flags)
{
    // Fixed single border with a close box only: no minimise, maximise or
    // context-help buttons, not resizable.
    setWindowTitle(QStringLiteral("設定"));
    setFixedSize(look::px(kClientWidthTw), look::px(kClientHeightTw));
    setFont(look::font(look::Face::Default, 9));

    chkSound = new QCheckBox(QStringLiteral("効果音 on"), this);
    chkSound->setObjectName(QStringLiteral("chkSound"));
    look::place(chkSound, 360, 120, 1215, 495);

    chkBGM = new QCheckBox(QStringLiteral("BGM on"), this);
    chkBGM->setObjectName(QStringLiteral("chkBGM"));
    look::place(chkBGM, 360, 600, 1215, 495);

    chkInfo = new QCheckBox(QStringLiteral("Info on"), this);
    chkInfo->setObjectName(QStringLiteral("chkInfo"));
    look::place(chkInfo, 360, 1080, 1215, 495);

    // Esc reaches cmdCancel through QDialog::reject, which it shares.
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    look::place(cmdCancel, 2040, 480, 1215, 495);

    // The default button: Enter anywhere but on Cancel presses it.
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    look::place(cmdOK, 2040, 1080, 1215, 495);
    cmdOK->setDefault(true);

    setTabOrder(chkSound, chkBGM);
    setTabOrder(chkBGM, chkInfo);
    setTabOrder(chkInfo, cmdCancel);
    setTabOrder(cmdCancel, cmdOK);

    connect(cmdOK, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOption::cmdCancel_Click);

    Form_Load();

    // The first control in the tab order has the focus when the dialog opens.
    chkSound->setFocus(Qt::OtherFocusReason);
}

void frmOption::Form_Load()
{
    chkSound->setChecked(flags_.SoundOn);
    chkBGM->setChecked(flags_.BGMOn);
    chkInfo->setChecked(flags_.InfoOn);
}

void frmOption::cmdOK_Click()
{
    flags_ = {ticked(chkSound), ticked(chkBGM), ticked(chkInfo)};

    sound_.SetSoundOn(flags_.SoundOn);
    // Heard only when the sound effects are on after the change.
    sound_.play(SoundCue::Beep);
    // The music itself changes at the next request for a track, when the
    // title menu comes back.
    music_.BGMOnOff(flags_.BGMOn);

    accept();
}

void frmOption::cmdCancel_Click()
{
    reject();
}

} // namespace zorbel
