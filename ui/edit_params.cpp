// The object's editing entry points: the Parameters rollout that the host generates
// from parameter block 0, and the About rollout beside it.
#include "module/class_desc.h"
#include "module/instance.h"
#include "object/zentrograph.h"
#include "resources/resource_ids.h"
#include "ui/about_rollout.h"

namespace zentrograph {

void Zentrograph::BeginEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* prev) {
    editInterface = ip;
    TheZentrographClassDesc().BeginEditParams(ip, this, flags, prev);
    if (ip == nullptr) return;
    aboutRollup = ip->AddRollupPage(hInstance, IDD_ABOUT, AboutDlgProc, kAboutTitle, 0, 0, host::ROLLUP_CAT_STANDARD);
}

void Zentrograph::EndEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* next) {
    ClearAFlag(kBeingCreatedFlag);
    TheZentrographClassDesc().EndEditParams(ip, this, flags, next);
    if (ip != nullptr) ip->DeleteRollupPage(aboutRollup);
    editInterface = nullptr;
}

}  // namespace zentrograph
