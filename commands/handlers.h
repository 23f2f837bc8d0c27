#pragma once

#include "game/form1.h"

namespace kelo {

// The commands of the menu bar, each a short handler of the main window.
void Nouveau_Click(Form1& form);
void Recommencer_Click(Form1& form);
void Suivant_Click(Form1& form);
void Aller_Click(Form1& form);
void Quitter_Click(Form1& form);
void Animation_Click(Form1& form);
void Son_Click(Form1& form);
void Comment_Click(Form1& form);
void Apropos_Click(Form1& form);

// The texts of the Help and About boxes, built with the window's line break.
std::string HelpText(const std::string& crlf);
std::string AboutText(const std::string& crlf);
inline const std::string kHelpTitle = "Pour jouer à Kelo...";
inline const std::string kAboutTitle = "Infos inutiles sur Kelo...";
inline const std::string kGoToPrompt = "Aller au niveau :";

}  // namespace kelo
