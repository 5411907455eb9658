#pragma once

// The web addresses of the links menu, the banner and the About text. All
// hosts lie under the reserved .example domain, so no link can ever lead to
// somebody's real site.

namespace zerva::links {

// The program's own directory on its site.
inline constexpr char HomePage[] = "http://www.mavikod.example/zerva/";
inline constexpr char HelpPage[] = "http://www.mavikod.example/zerva/yardim.php";
inline constexpr char BannerPage[] = "http://www.mavikod.example/zerva/ad.php";

inline constexpr char MacroTool[] = "http://www.makrox.example/";
inline constexpr char FriendSite[] = "http://www.dostlar.example/";
inline constexpr char ChatSite[] = "http://www.sohbetim.example/";
inline constexpr char ServerGuard[] = "http://programlar.mavikod.example/";
inline constexpr char Forum[] = "http://forum.mavikod.example/";
inline constexpr char GamePortal[] = "http://www.oyunevi.example/";

} // namespace zerva::links
