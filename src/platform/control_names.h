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
inline constexpr char kDownloadList[] = "超级列表框_下载管理模块";
// Named after the song page's cover, though it covers the download list's header.
inline constexpr char kDownloadHeaderCover[] = "Song_透明标签_遮挡超级列表框1";
inline constexpr char kDownloadToButton[] = "按钮_下载到";
inline constexpr char kSaveFolderButton[] = "按钮_保存位置";

inline constexpr char kDjTypeBox[] = "DJ_组合框_搜索类型";
inline constexpr char kDjSearchBox[] = "DJ_编辑框_搜索文本";
inline constexpr char kDjSiteBox[] = "DJ_组合框_搜索站点";
inline constexpr char kDjSiteCover[] = "DJ_透明标签_遮挡搜索站点";
inline constexpr char kDjFindButton[] = "DJ_按钮_查找";
inline constexpr char kDjNextButton[] = "DJ_按钮_下一页";
inline constexpr char kDjPreviousButton[] = "DJ_按钮_上一页";
inline constexpr char kDjSortBox[] = "DJ_选择框_排序";
inline constexpr char kDjResultList[] = "DJ_超级列表框_搜索结果";
inline constexpr char kDjResultHeaderCover[] = "DJ_透明标签_遮挡超级列表框";
inline constexpr char kDjPageLabel[] = "DJ_透明标签_页数信息栏";
inline constexpr char kDjProgress[] = "进度条_DJ";
inline constexpr char kDjInfoPanel[] = "分组框_DJ_信息";
inline constexpr char kDjInfoSearchType[] = "DJ_信息_标签_搜索方式";
inline constexpr char kDjInfoNumber[] = "DJ_信息_标签_歌曲编号";
inline constexpr char kDjInfoName[] = "DJ_信息_标签_歌曲名称";
inline constexpr char kDjInfoAuthor[] = "DJ_信息_标签_作者名称";
inline constexpr char kDjInfoLengthSize[] = "DJ_信息_标签_歌曲时长_歌曲大小";
inline constexpr char kDjInfoDate[] = "DJ_信息_标签_更新日期";

inline constexpr char kSongSearchBox[] = "Song_编辑框_搜索文本";
inline constexpr char kSongSiteBox[] = "Song_组合框_搜索站点";
inline constexpr char kSongFindButton[] = "Song_按钮_查找";
inline constexpr char kSongNextButton[] = "Song_按钮_下一页";
inline constexpr char kSongPreviousButton[] = "Song_按钮_上一页";
inline constexpr char kSongResultList[] = "Song_超级列表框_搜索结果";
inline constexpr char kSongResultHeaderCover[] = "Song_透明标签_遮挡超级列表框";
inline constexpr char kSongPageLabel[] = "Song_透明标签_页数信息栏";
inline constexpr char kSongProgress[] = "进度条_Song";

// --- site window
inline constexpr char kSiteView[] = "超文本浏览框";

}  // namespace larkbay::names
