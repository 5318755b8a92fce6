#include "app/windows/search_bindings.h"

#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "search/dj_actions.h"
#include "search/dj_search.h"
#include "search/result_list.h"
#include "search/search_context.h"
#include "search/song_actions.h"
#include "search/song_search.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using Action = void (*)(SearchContext&);

ControlEventHandler Run(SearchContext& context, Action action) {
  return [&context, action](const ControlEventArgs&) {
    action(context);
    return false;
  };
}

}  // namespace

void BindSongSearch(ControlInterface& controls, SearchContext& context) {
  using namespace names;
  controls.Bind(kSongFindButton, ControlEvent::Clicked, Run(context, &OnSongFindClicked));
  controls.Bind(kSongNextButton, ControlEvent::Clicked, Run(context, &OnSongNextPage));
  controls.Bind(kSongPreviousButton, ControlEvent::Clicked, Run(context, &OnSongPreviousPage));
  controls.Bind(kSongSearchBox, ControlEvent::KeyPressed, [&context](const ControlEventArgs& args) {
    OnSongSearchKey(context, args.keyCode);
    return false;
  });
  controls.Bind(kSongResultList, ControlEvent::DoubleClicked, Run(context, &OnSongListDoubleClick));
  controls.Bind(kSongResultList, ControlEvent::RightButtonPressed, Run(context, &ShowSongMenu));
  controls.Bind(kSongResultList, ControlEvent::MouseMoved, [&context](const ControlEventArgs&) {
    TakeHoverFocus(context.controls, kSongResultList, context.state.songSearch.HoverFocus);
    return false;
  });
  controls.Bind(kSongResultList, ControlEvent::FocusLost, [&context](const ControlEventArgs&) {
    ReleaseHoverFocus(context.state.songSearch.HoverFocus);
    return false;
  });
}

void BindDjSearch(ControlInterface& controls, SearchContext& context) {
  using namespace names;
  controls.Bind(kDjFindButton, ControlEvent::Clicked, Run(context, &OnDjFindClicked));
  controls.Bind(kDjNextButton, ControlEvent::Clicked, Run(context, &OnDjNextPage));
  controls.Bind(kDjPreviousButton, ControlEvent::Clicked, Run(context, &OnDjPreviousPage));
  controls.Bind(kDjSearchBox, ControlEvent::KeyPressed, [&context](const ControlEventArgs& args) {
    OnDjSearchKey(context, args.keyCode);
    return false;
  });
  controls.Bind(kDjResultList, ControlEvent::CurrentRowChanged, Run(context, &ShowDjInfo));
  controls.Bind(kDjResultList, ControlEvent::DoubleClicked, Run(context, &PlayDjRow));
  controls.Bind(kDjResultList, ControlEvent::RightButtonPressed, Run(context, &ShowDjMenu));
  controls.Bind(kDjResultList, ControlEvent::MouseMoved, [&context](const ControlEventArgs&) {
    TakeHoverFocus(context.controls, kDjResultList, context.state.djSearch.HoverFocus);
    return false;
  });
  controls.Bind(kDjResultList, ControlEvent::FocusLost, [&context](const ControlEventArgs&) {
    ReleaseHoverFocus(context.state.djSearch.HoverFocus);
    return false;
  });
}

}  // namespace larkbay
