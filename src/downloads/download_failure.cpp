#include "downloads/download_failure.h"

#include <cstring>

#include "player/download_item.h"

namespace larkbay {
namespace {

std::string ReasonText(int reason) {
  switch (reason) {
    case 0:
      return {};
    case kDownloadInterruptFileNoSpace:
      return "磁盘空间不足";
    case kDownloadInterruptFileAccessDenied:
      return "没有写入下载目录的权限";
    case kDownloadInterruptFileNameTooLong:
      return "文件名太长";
    case kDownloadInterruptFileTooLarge:
      return "文件太大,磁盘放不下";
    case kDownloadInterruptNetworkTimeout:
      return "网络超时";
    case kDownloadInterruptNetworkDisconnected:
      return "网络已断开";
    case kDownloadInterruptServerBadContent:
      return "服务器上没有这个文件";
    case kDownloadInterruptServerUnauthorized:
    case kDownloadInterruptServerForbidden:
      return "服务器拒绝了下载";
    case kDownloadInterruptServerUnreachable:
      return "服务器无法访问";
    case kDownloadInterruptServerContentLengthMismatch:
      return "连接中断:收到的长度与服务器所报不符";
    case kDownloadInterruptUserCanceled:
      return "下载已取消";
    default:
      break;
  }
  if (reason < 20) return "无法写入文件(错误 " + std::to_string(reason) + ")";
  if (reason < 30) return "连接中断(网络错误 " + std::to_string(reason) + ")";
  return "服务器出错(错误 " + std::to_string(reason) + ")";
}

}  // namespace

std::string FailureCause(int interruptReason, int httpStatus) {
  if (httpStatus != 0 && httpStatus != 200)
    return "服务器答复 HTTP " + std::to_string(httpStatus);
  return ReasonText(interruptReason);
}

std::string TooSmallCause(std::int64_t bytes) {
  return "文件太小(" + std::to_string(bytes < 0 ? 0 : bytes) + " 字节),不是完整的歌曲";
}

std::string RenameCause(const std::string& target, int error) {
  return "无法改名为 " + target + ":" + std::strerror(error) + ",临时文件已保留";
}

std::string ResumedCause(int cuts) {
  return "连接中断 " + std::to_string(cuts) + " 次,已自动续传";
}

std::string TooManyCutsCause(int cuts) {
  return "连接中断 " + std::to_string(cuts) + " 次,下载已停止";
}

}  // namespace larkbay
