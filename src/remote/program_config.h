#pragma once
// Start-up step 2: the program configuration, fetched with the stamp of the
// local copy and parsed into ProgramConfig. Without a configuration the
// program cannot work: the step ends the process when none parses.

namespace larkbay {

struct StepContext;

inline constexpr char kLostServerText[] = "无法与Lark-Bay服务器进行通讯,请检测网络连接状态。";
inline constexpr char kLostServerTitle[] = "失联！！！";

// True when ProgramConfig holds the document. When no document parses, the
// cache file is deleted, the "失联！！！" box is shown over the start-up window
// and the process is ended (StepContext::EndProcess); false if that returns.
bool FetchProgramConfig(StepContext& context);

}  // namespace larkbay
