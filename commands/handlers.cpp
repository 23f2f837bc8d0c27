#include "commands/handlers.h"

#include "commands/number.h"

namespace kelo {

void Nouveau_Click(Form1& form) {
    form.Level = 1;
    form.LoadLevel(1);
}

void Recommencer_Click(Form1& form) { form.LoadLevel(form.Level); }

void Suivant_Click(Form1& form) {
    form.Level = NextLevel(form.Level);
    form.LoadLevel(form.Level);
}

void Aller_Click(Form1& form) {
    const std::string answer = form.platform().InputBox(kGoToPrompt, kBoxTitle);
    if (answer.empty()) return;
    const auto level = ReadLevelNumber(answer);
    if (!level) return;  // out of range: dropped without a word
    form.Level = *level;
    form.LoadLevel(*level);
}

void Quitter_Click(Form1& form) { form.platform().End(); }

void Animation_Click(Form1& form) {
    Platform& p = form.platform();
    p.SetChecked(Setting::Animation, !p.Checked(Setting::Animation));
}

void Son_Click(Form1& form) {
    Platform& p = form.platform();
    p.SetChecked(Setting::Son, !p.Checked(Setting::Son));
}

std::string HelpText(const std::string& crlf) {
    return "La balle doit ramasser tous les anneaux." + crlf + "Le carré est une sorte de mur mobile." + crlf +
           "La balle et le carré se déplacent jusqu'à rencontrer un mur." + crlf +
           "On passe de l'un à l'autre en appuyant sur [ESPACE]." + crlf +
           "On les déplace à l'aide des flèches de direction.";
}

std::string AboutText(const std::string& crlf) {
    return "Programmation : Tolv" + crlf + "Graphismes : Tolv" + crlf + "Idées : Pas moi" + crlf + crlf +
           "Juin, Juillet 2000";
}

namespace {

void ShowInfo(Form1& form, std::string text, const std::string& title) {
    form.MessageText = std::move(text);
    Platform& p = form.platform();
    if (p.Checked(Setting::Son)) p.PlaySound(form.ProgramFile("End.wav"), kSoundAsyncSilent);
    p.MsgBox(form.MessageText, title);
}

}  // namespace

void Comment_Click(Form1& form) { ShowInfo(form, HelpText(form.CrLf), kHelpTitle); }

void Apropos_Click(Form1& form) { ShowInfo(form, AboutText(form.CrLf), kAboutTitle); }

}  // namespace kelo
