#include "messages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

namespace larkbay::updater {
namespace {

constexpr std::string_view kEllipsis = "…";

}  // namespace

std::string CauseText(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "没有权限";
    case ENOENT:
      return "不存在";
    case ENOTDIR:
      return "路径中有一项不是文件夹";
    case EEXIST:
      return "已存在";
    case EISDIR:
      return "是一个文件夹";
    case ENOSPC:
      return "磁盘空间不足";
    case EDQUOT:
      return "磁盘配额已用完";
    case EROFS:
      return "磁盘只能读不能写";
    case ENAMETOOLONG:
      return "名称太长";
    case ELOOP:
      return "符号链接太多";
    case EIO:
      return "读写出错";
    case EBUSY:
    case ETXTBSY:
      return "正在使用中";
    case EMFILE:
    case ENFILE:
      return "打开的文件太多";
    case ENOMEM:
      return "内存不足";
    default:
      return "错误 " + std::to_string(error) + "（" + std::strerror(error) + "）";
  }
}

std::string SizeText(std::uint64_t bytes) {
  constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  if (bytes < 1024) return std::to_string(bytes) + " 字节";
  double value = static_cast<double>(bytes) / 1024;
  size_t unit = 0;
  // 1023.96 would print as "1024.0": that is the next unit's 1.0.
  while (value >= 1023.95 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

StepText DescribeStep(UpdateStep step, const std::string& detail) {
  switch (step) {
    case UpdateStep::kReadRecord:
      return {"正在读取更新信息…", detail};
    case UpdateStep::kFolderMade:
      return {"已创建文件夹", detail};
    case UpdateStep::kDownload:
      return {"正在下载…", detail};
    case UpdateStep::kReceived:
      return {"下载完成，共 " + detail, ""};
    case UpdateStep::kSigned:
      return {"签名有效", detail};
    case UpdateStep::kReplaced:
      return {"已保存", detail};
    case UpdateStep::kEnded:
      return {"已关闭旧程序（进程 " + detail + "）", ""};
    case UpdateStep::kNotEnded:
      return {detail, ""};
    case UpdateStep::kStarted:
      return {"已启动", detail};
  }
  return {detail, ""};
}

std::string StepLine(UpdateStep step, const std::string& detail) {
  StepText text = DescribeStep(step, detail);
  if (text.path.empty()) return text.heading;
  if (text.heading.ends_with(kEllipsis))
    text.heading.resize(text.heading.size() - kEllipsis.size());
  return text.heading + "：" + text.path;
}

std::string MissingSignatureText(const std::string& why) { return "缺少签名：" + why; }

std::string BadSignatureText(const std::string& signatureUrl) {
  return "签名无效：" + signatureUrl + " 不是这个文件的发布签名";
}

std::string ProgressLine(std::uint64_t received, std::int64_t total) {
  std::string line = "已下载 " + SizeText(received);
  if (total > 0) {
    const auto size = static_cast<std::uint64_t>(total);
    const std::uint64_t percent = received >= size ? 100 : received * 100 / size;
    line += " / " + SizeText(size) + "（" + std::to_string(percent) + "%）";
  }
  return line;
}

}  // namespace larkbay::updater
