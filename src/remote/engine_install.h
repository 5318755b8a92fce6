#pragma once
// Start-up step 5: which player the program uses for this run. A good engine
// folder starts the embedded browser ("cef"); otherwise the legacy player
// ("ie") plays, and the engine is installed from the pack on the desktop or
// its download is handed to the updater.

#include <string>
#include <string_view>

namespace larkbay {

class ControlInterface;
struct ProgramState;
struct StepContext;

inline constexpr char kEngineMissingTitle[] = "您还未安装播放引擎";
inline constexpr char kEngineMissingText[] =
    "10秒后将为你自动安装【引擎环境包】\r\n\r\n或点击[确定]"
    "进行自动安装\r\n\r\n如果环境包安装失败。将为你初始化"
    "老播放器。部分格式歌曲无法播放。\r\n\r\n为了更好的体验。请安装【引擎环境包】\r\n\r\n\r\n【校验"
    "】\r\n\r\n校验->"
    "md5->#engine_md5#\r\n\r\n【手动安装说明】\r\n1.将已下载[引擎环境包]文件->放置电脑桌面\r\n2."
    "将已下载[引擎环境包]"
    "文件->重命名为->Enginepack(注意区分大小写)\r\n3.重新启动程序,"
    "等待自动进行安装完成即可。\r\n\r\n\r\n\r\n        "
    "                by：Lark-Bay          ^v ^\r\n\r\n          ^ 3^     publicDate：2020-08-19";
inline constexpr char kNoEngineAddressText[] = "下载地址无效。";
inline constexpr char kNoEngineAddressTitle[] = "引擎环境无法自动下载";
inline constexpr char kNoArchiverText[] = "rar路径不存在，请确认是否初始化成功";
// Config.ini keys: the pack digest whose download was last handed over, and
// how many of its hand-overs ended with a pack of another digest on the
// desktop (after a few, the program stops asking for that pack).
inline constexpr char kHandedOverEngineKey[] = "HandedOverEngine";
inline constexpr char kBadEnginePacksKey[] = "HandedOverEngineBadPacks";
// Config.ini key: the SHA-256 of the engine library a signed pack installed.
inline constexpr char kEngineLibraryKey[] = "EngineLibrarySha256";

// True when the engine was started.
bool InstallEngine(StepContext& context);

// The player layouts of the main window: the browser strip above the tabs,
// or the HTML view in place of it with the tabs moved up.
void ShowCefLayout(ControlInterface& controls);
void ShowIeLayout(ControlInterface& controls);

// True on a 64-bit system: the pack's second archiver is the one to run.
bool Is64BitSystem();

// ArchiverPath := `path` when that file exists, else empty.
bool FindArchiver(ProgramState& state, const std::string& path);

// Runs the archiver on `archive` into `destination` and waits for it: the
// empty text once it has run, kNoArchiverText without an archiver.
std::string ExtractArchive(const ProgramState& state, const std::string& archive,
                           const std::string& destination, std::string_view password,
                           bool overwrite);

// A message box that closes itself after `milliseconds`.
int ShowTimedMessage(ControlInterface& controls, std::string_view title, std::string_view text,
                     int milliseconds, int flags);

}  // namespace larkbay
