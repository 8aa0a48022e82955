// The host's interfaces towards a plug-in being edited: the core interface (main
// window, time) and the command panel that holds rollouts.
//
// Called on the UI thread, while an object is edited. The host owns the interfaces and
// the rollouts they make; installing a core interface does not take it over.
#pragma once

#include "host/platform.h"
#include "host/time.h"

namespace host {

class ClassDesc2;
class ParamBlockDesc2;
class ParamBlock;

// The host application as a plug-in sees it.
class CoreInterface {
public:
    virtual ~CoreInterface();
    // The main window, owner of message boxes; none in a host without one.
    virtual HWND GetMainWindow() = 0;
    virtual TimeValue GetTime() = 0;
};

// The installed core interface, or none.
CoreInterface* GetCOREInterface();
void SetCOREInterface(CoreInterface* core);

// Rollout categories order rollouts in the panel: lower first.
inline constexpr int ROLLUP_CAT_STANDARD = 4000;

// The command panel while an object is edited.
class IObjParam : public CoreInterface {
public:
    // Adds a rollout built from dialog template `dialogId` of `instance`, handled by
    // `proc`; returns its window.
    virtual HWND AddRollupPage(HINSTANCE instance, int dialogId, DlgProc proc, const char* title,
                               LPARAM param = 0, DWORD flags = 0, int category = ROLLUP_CAT_STANDARD) = 0;
    virtual void DeleteRollupPage(HWND rollup) = 0;
    // Builds the generated rollout of `block` from its description's dialog template and
    // control bindings, and shows it; returns its window, or none.
    virtual HWND CreateParamRollout(ClassDesc2* cd, ParamBlockDesc2* desc, ParamBlock* block) = 0;
    virtual void DestroyParamRollout(HWND rollup) = 0;
};

}  // namespace host
