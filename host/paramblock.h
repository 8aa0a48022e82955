// Parameter blocks: a class describes its parameters once (ParamBlockDesc2) and each
// object holds its values in a ParamBlock built from that description.
//
// Every store goes through the parameter's accessor (which may change the value) and,
// for nodes, its validator (which may refuse it); every change sends REFMSG_CHANGE
// (PART_PARAMETER) to the block's dependents, its owner first. A block holds a
// reference on every node of its node tables, so a node's own change messages reach
// the owner through the block. Values do not vary with time in this host: the time
// arguments name when a value is read or stored and are passed on to the accessor.
//
// Everything here runs on the UI thread. The class's module owns its descriptions and
// the accessors and validators they name; a block is owned through the references
// held on it, its owner's first.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "host/reference.h"
#include "host/tab.h"

namespace host {

class ClassDesc2;
class SceneNode;
class ParamBlockDesc2;

using ParamID = int16_t;
using BlockID = int16_t;

// Value types.
enum ParamType : int {
    TYPE_FLOAT = 0,
    TYPE_INT = 1,
    TYPE_BOOL = 4,
    TYPE_INODE_TAB = 0x811,  // a table of nodes
};

// Parameter flag bits.
inline constexpr uint32_t P_ANIMATABLE = 0x1;
inline constexpr uint32_t P_RESET_DEFAULT = 0x20;   // new objects start from the default
inline constexpr uint32_t P_VARIABLE_SIZE = 0x1000; // a table whose size may change

// Block flag bits.
inline constexpr uint32_t P_AUTO_CONSTRUCT = 0x2;  // built for each new object as reference `refNumber`
inline constexpr uint32_t P_AUTO_UI = 0x4;         // the host generates its rollout

// Control kinds and edit types of a rollout binding.
enum ControlKind : int {
    CONTROL_NONE = -1,
    CONTROL_SPINNER = 0,
    CONTROL_SINGLE_CHECKBOX = 2,
    CONTROL_NODE_LISTBOX = 16,
};
enum EditType : int { EDITTYPE_NONE = -1, EDITTYPE_INT = 0, EDITTYPE_FLOAT = 1 };

// One value as accessors and validators see it; the member in use follows the type.
struct PB2Value {
    float f = 0.0f;
    int i = 0;
    SceneNode* node = nullptr;
};

// Intercepts stores and reads of the parameters that name it. Shared by every block.
class PBAccessor : public InterfaceServer, public HostHeap {
public:
    // A value was read; may change it.
    virtual void Get(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t,
                     Interval& valid);
    // A value is about to be stored; may change it in place.
    virtual void Set(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t);
    virtual int KeyFrameAtTime(ReferenceMaker* owner, ParamID id, TimeValue t);
    virtual CStr GetLocalName(ReferenceMaker* owner, ParamID id, int tabIndex);
    // A table changed: `change` is kTabAppend, kTabDelete or kTabSetCount.
    virtual void TabChanged(int change, ReferenceMaker* owner, ParamID id, int tabIndex, int count);
    virtual void DeleteThis();
};
inline constexpr int kTabAppend = 1;
inline constexpr int kTabDelete = 2;
inline constexpr int kTabSetCount = 3;

// Decides which values a parameter accepts. Shared by every block.
class PBValidator : public InterfaceServer, public HostHeap {
public:
    virtual int Validate(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex);
    virtual int Validate(PB2Value& v);
    virtual void DeleteThis();
};

// Range of a numeric parameter, also the limits of its rollout control.
struct ParamRange {
    double lo = 0.0;
    double hi = 0.0;
};

// How a parameter is bound to the controls of its rollout's dialog template.
struct ControlBinding {
    ControlKind kind = CONTROL_NONE;
    EditType editType = EDITTYPE_NONE;
    // Spinner: edit field, spinner. Node list box: list, add button, replace button
    // (0 for none), remove button. Check box: the box.
    std::vector<int> controls;
    float spinnerScale = 0.0f;
};

ControlBinding SpinnerBinding(EditType editType, int editId, int spinnerId, float scale);
ControlBinding CheckBoxBinding(int checkBoxId);
ControlBinding NodeListBinding(int listId, int addId, int replaceId, int removeId);

// One parameter of a block description.
struct ParamDef {
    ParamID id = -1;
    const char* internalName = "";
    ParamType type = TYPE_FLOAT;
    uint32_t flags = 0;
    int nameStringId = 0;  // display name in the owner module's string table
    float defaultFloat = 0.0f;
    int defaultInt = 0;
    int tableSize = 0;  // initial entries of a table
    std::optional<ParamRange> range;
    PBAccessor* accessor = nullptr;
    PBValidator* validator = nullptr;
    ControlBinding ui;
};

// The rollout the host generates for a block with P_AUTO_UI.
struct RolloutDef {
    int dialogId = 0;
    int titleStringId = 0;
    uint32_t flagMask = 0;
    uint32_t rolloutFlags = 0;
    void* userProc = nullptr;  // a dialog procedure of the class's own, or none
};

// The block itself.
struct BlockDef {
    BlockID id = 0;
    const char* internalName = "";
    int nameStringId = 0;
    uint32_t flags = 0;
    int refNumber = 0;  // the owner's reference slot for P_AUTO_CONSTRUCT
    std::optional<RolloutDef> rollout;
};

// The description of one parameter block of a class: built once, when the class's
// module loads, and joined to the class descriptor for the module's life.
class ParamBlockDesc2 {
public:
    // Joins `owner`, which must outlive this description.
    ParamBlockDesc2(ClassDesc2* owner, BlockDef block, std::vector<ParamDef> params);
    ~ParamBlockDesc2();
    ParamBlockDesc2(const ParamBlockDesc2&) = delete;
    ParamBlockDesc2& operator=(const ParamBlockDesc2&) = delete;

    const BlockDef& Block() const { return block_; }
    BlockID ID() const { return block_.id; }
    ClassDesc2* ClassDescriptor() const { return owner_; }
    int Count() const { return static_cast<int>(params_.size()); }
    // Parameters in declaration order.
    const ParamDef& ParamAt(int index) const { return params_[index]; }
    const std::vector<ParamDef>& Params() const { return params_; }
    const ParamDef* FindParam(ParamID id) const;
    const ParamDef* FindParamByName(std::string_view internalName) const;

private:
    ClassDesc2* owner_;
    BlockDef block_;
    std::vector<ParamDef> params_;
};

// The values of one block of one object.
class ParamBlock : public ReferenceTarget {
public:
    // A block holding every default of `desc`. Prefer ClassDesc2::MakeAutoParamBlocks.
    explicit ParamBlock(ParamBlockDesc2* desc);
    ~ParamBlock() override;

    SClass_ID SuperClassID() override { return kParamBlockSuperClassId; }
    Class_ID ClassID() override { return Class_ID(kParamBlockSuperClassId, 0); }

    BlockID ID() const { return desc_->ID(); }
    ParamBlockDesc2* GetDesc() const { return desc_; }
    // The maker that holds this block: its first dependent, or none.
    ReferenceMaker* GetOwner() const;
    // The description of one of this block's parameters, by id or by internal name;
    // none when the block has no such parameter (or no description at all).
    const ParamDef* FindParam(ParamID id) const;
    const ParamDef* FindParamByName(std::string_view internalName) const;

    // Reads. A wrong id or table index gives 0 (none for nodes); a float read from an
    // int parameter, or the reverse, is converted.
    float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0);
    int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0);
    SceneNode* GetNode(ParamID id, TimeValue t = 0, int tabIndex = 0);
    // Entries of a table parameter; 0 for any other id.
    int Count(ParamID id) const;

    // Stores through the accessor. False, changing nothing, for a wrong id or index, or
    // a value that is not a finite number.
    bool SetFloat(ParamID id, TimeValue t, float v, int tabIndex = 0);
    bool SetInt(ParamID id, TimeValue t, int v, int tabIndex = 0);
    // Node tables: every node offered passes the validator; false when it refuses.
    // Storing none empties an entry.
    bool SetNode(ParamID id, TimeValue t, SceneNode* node, int tabIndex = 0);
    bool Append(ParamID id, SceneNode* node);
    // Removes `count` entries from `start`; false when the range is not within the table.
    bool Delete(ParamID id, int start, int count);
    // Resizes a table; new entries are empty.
    bool SetCount(ParamID id, int count);

    // Every node entry is a reference: references are numbered over the node tables in
    // declaration order, entries in table order.
    int NumRefs() override;
    ReferenceTarget* GetReference(int i) override;
    void SetReference(int i, ReferenceTarget* target) override;
    // Passes a listed node's REFMSG_CHANGE on to the owner; empties the entries of a
    // node being deleted.
    RefResult NotifyRefChanged(const Interval& changeInterval, ReferenceTarget* target, PartID& part,
                               RefMessage message) override;
    // A block with the same values whose node entries refer to `remap`'s copies.
    ReferenceTarget* Clone(RemapDir& remap) override;

private:
    struct Slot {
        std::vector<PB2Value> values;  // one entry for scalars
    };
    Slot* Find(ParamID id, const ParamDef** def = nullptr);
    const Slot* Find(ParamID id, const ParamDef** def = nullptr) const;
    bool StoreScalar(ParamID id, TimeValue t, PB2Value v, int tabIndex, bool isFloat);
    void Changed();

    ParamBlockDesc2* desc_;
    std::vector<Slot> slots_;  // parallel to desc_->Params()
};

}  // namespace host
