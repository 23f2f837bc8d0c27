#include "commands/menu.h"

#include "commands/handlers.h"

namespace kelo {

const std::vector<Menu>& MenuBar() {
    static const std::vector<Menu> bar = {
        {"Jeu",
         "&Jeu",
         {
             {"Nouveau", "&Nouveau", "Ctrl+N", std::nullopt, Nouveau_Click},
             {"Recommencer", "&Recommencer le niveau", "Ctrl+R", std::nullopt, Recommencer_Click},
             {"Suivant", "Niveau &Suivant", "Ctrl+S", std::nullopt, Suivant_Click},
             {"Aller", "&Aller au niveau", "Ctrl+A", std::nullopt, Aller_Click},
             {"separator1", "-", "", std::nullopt, nullptr},
             {"Quitter", "&Quitter", "", std::nullopt, Quitter_Click},
         }},
        {"Options",
         "&Options",
         {
             {"Animation", "&Animation", "Ctrl+O", Setting::Animation, Animation_Click},
             {"Son", "&Son", "Ctrl+W", Setting::Son, Son_Click},
         }},
        {"Aide",
         "&Aide",
         {
             {"Comment", "Comment Jouer ?", "F1", std::nullopt, Comment_Click},
             {"separator2", "-", "", std::nullopt, nullptr},
             {"Apropos", "A propos de Kelo...", "", std::nullopt, Apropos_Click},
         }},
    };
    return bar;
}

}  // namespace kelo
