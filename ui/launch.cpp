#include "ui/launch.h"

#include "commands/handlers.h"

namespace kelo {

void Form_Load(Form1& form) {
    form.CrLf = "\r\n";
    Platform& p = form.platform();
    // Raised look: white top and left, then black right and bottom, drawn last so they win the corner.
    constexpr std::uint32_t white = 0xFFFFFF;
    constexpr std::uint32_t black = 0x000000;
    p.Line(620, 360, 579, 360, white);
    p.Line(579, 360, 579, 401, white);
    p.Line(620, 360, 620, 401, black);
    p.Line(620, 401, 579, 401, black);
    p.SetChecked(Setting::Animation, true);
    Nouveau_Click(form);
}

}  // namespace kelo
