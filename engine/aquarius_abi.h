#pragma once
/* The C interface of libaquarius.so, the embedded browser library, shared by
 * the library and the programs that load it at run time.
 *
 * Every object reference the library hands out (browser, frame, browser host,
 * download item, callbacks, settings record, command line, window info,
 * browser settings) is counted: a reference returned by a function belongs to
 * the caller, who gives it back with AquaRelease. References passed as event
 * arguments are lent for the duration of the event; AquaAddRef keeps one.
 * All functions run on the thread of the QApplication (the interface thread);
 * texts are UTF-8. Window handles are QWidget pointers carried as integers;
 * the library never dereferences a handle it did not create or receive as a
 * parent. */

#include <stdbool.h>
#include <stdint.h>

#if defined(AQUARIUS_BUILDING_LIBRARY)
#define AQUA_API __attribute__((visibility("default")))
#else
#define AQUA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct AquaBrowser AquaBrowser;
typedef struct AquaFrame AquaFrame;
typedef struct AquaBrowserHost AquaBrowserHost;
typedef struct AquaDownloadItem AquaDownloadItem;
typedef struct AquaBeforeDownloadCallback AquaBeforeDownloadCallback;
typedef struct AquaDownloadItemCallback AquaDownloadItemCallback;
typedef struct AquaSettings AquaSettings;
typedef struct AquaCommandLine AquaCommandLine;
typedef struct AquaWindowInfo AquaWindowInfo;
typedef struct AquaBrowserSettings AquaBrowserSettings;

/* Event numbers the library raises. */
enum {
  AQUA_EVENT_SETTINGS = 0,          /* settings */
  AQUA_EVENT_COMMAND_LINE = 1,      /* command_line */
  AQUA_EVENT_CONTEXT_READY = 2,     /* none */
  AQUA_EVENT_BROWSER_CREATED = 9,   /* browser */
  AQUA_EVENT_LOAD_END = 15,         /* browser, frame, status_code */
  AQUA_EVENT_BEFORE_DOWNLOAD = 30,  /* browser, download, suggested_name, before_download */
  AQUA_EVENT_DOWNLOAD_UPDATED = 31, /* browser, download, download_callback */
  AQUA_EVENT_CONTEXT_MENU = 32,     /* browser, frame, x, y; answer true: no menu */
  AQUA_EVENT_COUNT = 64
};

/* Arguments of an event; fields an event does not use are zero. */
typedef struct AquaEventArgs {
  AquaSettings* settings;
  AquaCommandLine* command_line;
  AquaBrowser* browser;
  AquaFrame* frame;
  int status_code; /* 200 for a finished load, the HTTP code of a failed one, else 0 */
  AquaDownloadItem* download;
  const char* suggested_name;
  AquaBeforeDownloadCallback* before_download;
  AquaDownloadItemCallback* download_callback;
  int x;
  int y;
} AquaEventArgs;

/* The answer matters for event 32 only. */
typedef bool (*AquaEventCallback)(int event, const AquaEventArgs* args, void* user_data);

/* Result of AquaFrameEvaluateJavaScriptA: the value as text (empty for
 * undefined), valid during the call. */
typedef void (*AquaScriptResultCallback)(const char* result, void* user_data);

AQUA_API void AquaAddRef(void* object);
AQUA_API void AquaRelease(void* object);

/* One handler per event number; a null callback unbinds. False for a number
 * outside 0..AQUA_EVENT_COUNT-1. */
AQUA_API bool AquaBind(int event, AquaEventCallback callback, void* user_data);

/* Settings record (event 0). */
AQUA_API void AquaInitCachePathA(AquaSettings* settings, const char* path);
AQUA_API void AquaInitUserDataA(AquaSettings* settings, const char* path);
AQUA_API void AquaInitPersistSessionCookies(AquaSettings* settings, bool value);
AQUA_API void AquaInitPersistUserPreferences(AquaSettings* settings, bool value);
AQUA_API void AquaInitLocaleA(AquaSettings* settings, const char* locale);
AQUA_API void AquaInitWindowlessRenderingEnabled(AquaSettings* settings, bool value);
AQUA_API void AquaInitRemoteDebuggingPort(AquaSettings* settings, int port);
AQUA_API void AquaInitIgnoreCertificateErrors(AquaSettings* settings, bool value);
AQUA_API void AquaInitUserAgentA(AquaSettings* settings, const char* user_agent);
AQUA_API void AquaInitProductVersionA(AquaSettings* settings, const char* version);
AQUA_API void AquaInitAcceptLanguageListA(AquaSettings* settings, const char* languages);

/* Command line (event 1): becomes "--name=value" for the engine. False when
 * the name is empty or either text holds white space or the name holds '='. */
AQUA_API bool AquaCommandLineAppendSwitchWithValueA(AquaCommandLine* command_line, const char* name,
                                                    const char* value);

/* Starts the engine inside the running QApplication: raises events 0, 1 and 2
 * in that order before it returns. 0 on success; -1 without a QApplication,
 * when the engine has already been started, or after AquaQuitProcess. */
AQUA_API int AquaDoWinMain(void);

/* Browser creation: the browser becomes a child of the parent window and
 * fills its client rectangle; event 9 is raised before
 * AquaBrowserHostCreateBrowserA returns. The rectangle is kept for parents
 * that report no size. */
AQUA_API AquaWindowInfo* AquaWindowCreate(void);
AQUA_API void AquaWindowSetAsChild(AquaWindowInfo* info, uintptr_t parent, int x, int y, int width,
                                   int height);
AQUA_API AquaBrowserSettings* AquaTypeBsCreate(void);
AQUA_API bool AquaBrowserHostCreateBrowserA(AquaWindowInfo* info, const char* url,
                                            AquaBrowserSettings* settings);

/* The browser whose window, or whose parent window, is `window`; null when
 * none. */
AQUA_API AquaBrowser* AquaManagerQueryActor(uintptr_t window);
AQUA_API AquaFrame* AquaBrowserGetMainFrame(AquaBrowser* browser);
AQUA_API AquaBrowserHost* AquaBrowserGetHost(AquaBrowser* browser);
/* The browser's own window; 0 once it has been closed. */
AQUA_API uintptr_t AquaBrowserHostGetWindowHandle(AquaBrowserHost* host);

/* Loads `html` as the document of `url` (null or empty: about:blank). */
AQUA_API void AquaFrameLoadStringA(AquaFrame* frame, const char* html, const char* url);
/* Runs the script in the page; URL and start line only label the script. */
AQUA_API void AquaFrameExecuteJavaScriptA(AquaFrame* frame, const char* script,
                                          const char* script_url, int start_line);
/* Runs the script and hands its value back later on the interface thread. */
AQUA_API void AquaFrameEvaluateJavaScriptA(AquaFrame* frame, const char* script,
                                           AquaScriptResultCallback callback, void* user_data);

/* Downloads, numbered 1, 2, 3 ... in the order they start. Event 30 asks
 * where to put one: answer with AquaDownloadCallbackContinue during the event
 * (a path of "" keeps the suggested name in the default folder), or the
 * download is cancelled. A connection cut continues the same item. Event 31
 * reports every change of state and progress. */
AQUA_API void AquaBrowserHostStartDownloadA(AquaBrowserHost* host, const char* url);
AQUA_API int AquaDownloadGetId(AquaDownloadItem* item);
/* True from the answer to event 30 until the download ends, also paused. */
AQUA_API bool AquaDownloadIsInProgress(AquaDownloadItem* item);
AQUA_API bool AquaDownloadIsComplete(AquaDownloadItem* item);
/* Cancelled, or ended by a failure (an interrupt reason) before its end. */
AQUA_API bool AquaDownloadIsCanceled(AquaDownloadItem* item);
AQUA_API bool AquaDownloadIsPaused(AquaDownloadItem* item);
/* -1 while the total is unknown. */
AQUA_API int AquaDownloadGetPercentComplete(AquaDownloadItem* item);
/* -1 while unknown. */
AQUA_API int64_t AquaDownloadGetTotalBytes(AquaDownloadItem* item);
AQUA_API int64_t AquaDownloadGetReceivedBytes(AquaDownloadItem* item);
/* The browser's interrupt reason of the last failure (Chromium's numbering,
 * as QWebEngineDownloadRequest::DownloadInterruptReason); 0 for none. */
AQUA_API int AquaDownloadGetInterruptReason(AquaDownloadItem* item);
/* How often a cut connection made the download go on by itself. */
AQUA_API int AquaDownloadGetResumeCount(AquaDownloadItem* item);
/* Raises event 31 for the item now, so that a host's request made between
 * events (pause, resume, cancel) reaches a download that is quiet; nothing
 * for a download that was never continued. */
AQUA_API void AquaDownloadRaiseUpdated(AquaDownloadItem* item);
/* `path` is the full path of the file to write; the dialog flag is ignored
 * (there is no dialog). */
AQUA_API void AquaDownloadCallbackContinue(AquaBeforeDownloadCallback* callback, const char* path,
                                           bool show_dialog);
/* Pausing or resuming twice does nothing; neither raises an event. */
AQUA_API void AquaDownloadItemCallbackPause(AquaDownloadItemCallback* callback);
AQUA_API void AquaDownloadItemCallbackResume(AquaDownloadItemCallback* callback);
AQUA_API void AquaDownloadItemCallbackCancel(AquaDownloadItemCallback* callback);

/* Closes every browser; then AquaQuitProcess ends the engine. The
 * QApplication and its event loop stay the host's. */
AQUA_API void AquaManagerCloseAllBrowser(void);
AQUA_API void AquaQuitProcess(void);

#ifdef __cplusplus
}
#endif
