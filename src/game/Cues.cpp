#include "game/Cues.h"

namespace zorbel
{

const char* HintText(Hint hint)
{
    switch (hint) {
    case Hint::ChoosePractice:
        return "初めは練習を選んでお手本を見るのが良いでしょう。";
    case Hint::FillTheBoard:
        return "全てのマス目を0～9の乱数で埋めてから、採点ボタンを押して下さい。";
    case Hint::PassMark:
        return "合格点は80点以上です。Retryボタンで再挑戦出来ます。";
    case Hint::WellDone:
        return "お見事!! 次のステージ／レベルに進みます。";
    case Hint::BackToMenu:
        return "本番を開始するときはメニューに戻って下さい。";
    case Hint::SecondStage:
        return "SECONDステージでは、最初の数マスは固定されています。";
    case Hint::ClickToHide:
        return "このインフォメーションはクリックすると消えます。";
    case Hint::YouAreGreat:
        return "あなたはスゴイ！！";
    }
    return "";
}

} // namespace zorbel
