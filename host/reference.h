// The object model's root: animatables, and the reference system through which
// objects hold one another and hear of each other's changes.
//
// A ReferenceMaker holds numbered references to ReferenceTargets. A target knows its
// dependents (the makers that refer to it) and tells them of changes through
// NotifyRefChanged. A target that was released by ReplaceReference or
// DeleteAllRefsFromMe and that nothing refers to any more is deleted with DeleteThis.
// Everything here runs on the UI thread.
#pragma once

#include <string>
#include <vector>

#include "host/classid.h"
#include "host/heap.h"
#include "host/time.h"

namespace host {

class ReferenceTarget;
class ParamBlock;
class IObjParam;
class Animatable;

// A string the host hands over and the receiver owns.
using CStr = std::string;

// Messages sent from a target to its dependents.
using RefMessage = uint32_t;
inline constexpr RefMessage REFMSG_CHANGE = 0x50;          // a value of the target changed
inline constexpr RefMessage REFMSG_TARGET_DELETED = 0x13;  // the target is being destroyed

// What part of a target changed, carried with REFMSG_CHANGE so that a receiver (or a
// log) can tell why it heard.
using PartID = uint32_t;
inline constexpr PartID PART_TM = 0x1;          // a node's transform
inline constexpr PartID PART_OBJECT = 0x2;      // a node's object, or the object's state
inline constexpr PartID PART_PARAMETER = 0x4;   // a parameter block value
inline constexpr PartID PART_DISPLAY = 0x8;     // colour, selection, frozen state
inline constexpr PartID PART_ALL = 0xFFFFFFFF;

// What a maker answers when it hears from a target. REF_SUCCEED lets a change message
// travel on to the maker's own dependents (when the maker is itself a target); REF_STOP
// keeps it there.
enum RefResult { REF_FAIL = 0, REF_SUCCEED = 1, REF_STOP = 2 };

// Base of every interface-bearing host class. Plug-ins may answer interface queries.
class InterfaceServer {
public:
    virtual ~InterfaceServer();
    // An extension interface by id; none unless a class offers one.
    virtual void* GetInterface(uint32_t id);
};

// Anything the host can list, name, edit and delete.
class Animatable : public InterfaceServer, public HostHeap {
public:
    Animatable() = default;
    Animatable(const Animatable&) = delete;
    Animatable& operator=(const Animatable&) = delete;
    ~Animatable() override;

    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    // Fills `name` with the class's display name.
    virtual void GetClassName(CStr& name);
    // Destroys the object and returns its memory to the heap it came from.
    virtual void DeleteThis();
    // 1 when `id` is this class's id (or a class it counts itself a kind of).
    virtual int IsSubClassOf(Class_ID id);

    // Sub-animatables: the pieces the host shows beneath this one.
    virtual int NumSubs();
    virtual Animatable* SubAnim(int i);
    virtual CStr SubAnimName(int i);

    // Parameter blocks the object owns.
    virtual int NumParamBlocks();
    virtual ParamBlock* GetParamBlock(int i);
    virtual ParamBlock* GetParamBlockByID(int16_t id);

    // Editing in the command panel. `prev` and `next` are the objects edited before
    // and after this one, or none.
    virtual void BeginEditParams(IObjParam* ip, unsigned long flags, Animatable* prev);
    virtual void EndEditParams(IObjParam* ip, unsigned long flags, Animatable* next);
};

// A remap directory: while a group of targets is copied it maps each original to its
// copy, so that copies refer to copies of what they referred to and to the original
// where nothing was copied.
class RemapDir {
public:
    void AddEntry(ReferenceTarget* original, ReferenceTarget* copy);
    // The copy made of `original`, or `original` itself when none was made.
    ReferenceTarget* FindMapping(ReferenceTarget* original) const;

private:
    std::vector<std::pair<ReferenceTarget*, ReferenceTarget*>> map_;
};

// An object that holds references.
class ReferenceMaker : public Animatable {
public:
    ~ReferenceMaker() override;

    virtual int NumRefs();
    virtual ReferenceTarget* GetReference(int i);
    // Called by the reference system only; stores `target` in slot i.
    virtual void SetReference(int i, ReferenceTarget* target);
    // A target of this maker changed. The default answers REF_SUCCEED.
    virtual RefResult NotifyRefChanged(const Interval& changeInterval, ReferenceTarget* target,
                                       PartID& part, RefMessage message);

    // Makes reference `which` point at `target` (or at nothing). The maker registers as
    // a dependent of the new target and leaves the old one; with `deleteOld` set, an
    // old target that nothing refers to any more is deleted.
    RefResult ReplaceReference(int which, ReferenceTarget* target, bool deleteOld = true);
    // Drops every reference, deleting targets left without dependents.
    RefResult DeleteAllRefsFromMe();
    // Drops reference i.
    RefResult DeleteReference(int i);

private:
    friend class ReferenceTarget;
    // The targets this maker is registered with, one entry per reference held, kept by
    // the base so that a maker destroyed without dropping its references never leaves a
    // target pointing at freed memory.
    std::vector<ReferenceTarget*> held_;
};

// An object that can be referred to.
class ReferenceTarget : public ReferenceMaker {
public:
    // Tells every dependent, in the order they came, that this target changed. A
    // REFMSG_CHANGE travels on from every dependent that answers REF_SUCCEED and is
    // itself a target, with the part as that dependent left it, so a change reaches
    // everything that depends on it however far away. A target that is passing a
    // message on passes on no other meanwhile: a loop of references ends.
    RefResult NotifyDependents(const Interval& changeInterval, PartID part, RefMessage message);
    bool HasDependents() const { return !dependents_.empty(); }
    const std::vector<ReferenceMaker*>& Dependents() const { return dependents_; }

    // An independent copy; none when the class cannot be copied or memory ran out.
    virtual ReferenceTarget* Clone(RemapDir& remap);
    // Copies what the host base classes carry from `from` to `to` and records the pair
    // in `remap`. Called on the source by a class's Clone.
    void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

    // A target being destroyed tells its dependents (REFMSG_TARGET_DELETED) and clears
    // their references to it.
    ~ReferenceTarget() override;

private:
    friend class ReferenceMaker;
    std::vector<ReferenceMaker*> dependents_;
    bool passingChange_ = false;  // a REFMSG_CHANGE from here is being passed on
};

}  // namespace host
