#pragma once
// The names of the windows and controls the program's logic reaches through
// the named-control interface; one place, so a typo is a compile error rather
// than a call that silently does nothing.

namespace larkbay::names {

// --- windows
inline constexpr char kMainWindow[] = "MainWindow";
inline constexpr char kStartupWindow[] = "StartupWindow";
inline constexpr char kSiteWindow[] = "SiteWindow";

// --- start-up window
inline constexpr char kStartupTimer[] = "时钟1";
inline constexpr char kVersionLabel[] = "标签_版本标题";
inline constexpr char kConsole[] = "编辑框_控制台";
inline constexpr char kLogo[] = "图片框_Logo";

// --- main window
inline constexpr char kPlayerView[] = "超文本浏览框_播放器";
inline constexpr char kBrowserControl[] = "水星领航员1";
inline constexpr char kTabControl[] = "选择夹_功能栏";
inline constexpr char kSavePathBox[] = "编辑框_保存位置";

inline constexpr char kDjTypeBox[] = "DJ_组合框_搜索类型";
inline constexpr char kDjSearchBox[] = "DJ_编辑框_搜索文本";
inline constexpr char kDjSiteBox[] = "DJ_组合框_搜索站点";
inline constexpr char kDjSiteCover[] = "DJ_透明标签_遮挡搜索站点";

inline constexpr char kSongSearchBox[] = "Song_编辑框_搜索文本";
inline constexpr char kSongSiteBox[] = "Song_组合框_搜索站点";

// --- site window
inline constexpr char kSiteView[] = "超文本浏览框";

}  // namespace larkbay::names
