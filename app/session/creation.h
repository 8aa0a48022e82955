// Creation: making objects of one class with the mouse, for as long as the user stays
// in create mode.
//
// A class whose objects hand out a creation callback is driven through it: button
// down sends point 0, moves with the button held send moves for point 1, button up
// sends point 1, an abort sends MOUSE_ABORT, moves with no creation under way send
// free moves, and leaving create mode sends the release. The callback answers 1 to go
// on, 0 when the object is complete and -1 to discard it. The host's own classes,
// which have no callback, are placed where the button goes down and, when they have a
// "size" parameter, sized by the drag (twice the drag length, as a radius).
//
// The object of the next creation is made on entering create mode and after every
// completed or discarded one, so that free moves reach its callback. Its node is made
// when its first point is set, named from InitNodeName and numbered, and placed with
// the creation matrix after every message.
#pragma once

#include <string>

#include "app/plugins/class_directory.h"
#include "app/scene/scene.h"
#include "app/viewport/viewport.h"
#include "host/geometry.h"
#include "host/object.h"

namespace zg::session {

class Creation {
public:
    enum class Outcome {
        kNothing,     // the event did not concern a creation
        kContinuing,  // a creation is under way
        kCompleted,   // the object was completed: CompletedNode() shows it
        kDiscarded,   // the object was discarded and deleted
        kFailed,      // no object could be made: Error() says why
    };

    // `entry` and `scene` must outlive the creation.
    Creation(scene::Scene& scene, const plugins::ClassEntry& entry);
    // Leaves create mode (see Leave).
    ~Creation();
    Creation(const Creation&) = delete;
    Creation& operator=(const Creation&) = delete;

    const plugins::ClassEntry& Entry() const { return entry_; }
    // True from the first point until the object is completed or discarded.
    bool Dragging() const { return node_ != nullptr; }
    // The node that the creation is placing, while Dragging().
    scene::Node* NodeInProgress() const { return node_; }
    // The node the last completed creation made.
    scene::Node* CompletedNode() const { return completed_; }
    const std::string& Error() const { return error_; }

    Outcome Down(viewport::Viewport& vpt, host::IPoint2 at);
    // A drag move while Dragging(), a free move otherwise.
    Outcome Move(viewport::Viewport& vpt, host::IPoint2 at);
    Outcome Up(viewport::Viewport& vpt, host::IPoint2 at);
    // Cancels the creation under way, if any.
    Outcome Abort(viewport::Viewport& vpt);
    // Cancels any creation under way, sends the release and deletes the object that was
    // waiting for its first point. Later events do nothing.
    void Leave(viewport::Viewport* vpt);
    // Ends the creation without asking its class anything more, for when its code
    // failed: the node in progress and the object waiting for its first point go.
    void Drop();

private:
    // Makes the object of the next creation and asks it for its callback.
    bool Prepare();
    Outcome Answer(int result);
    // Moves the node to the creation matrix.
    void Place();
    void Discard();

    scene::Scene& scene_;
    const plugins::ClassEntry& entry_;
    host::Object* waiting_ = nullptr;  // owned until its node is made
    host::CreateMouseCallBack* callback_ = nullptr;
    scene::Node* node_ = nullptr;
    scene::Node* completed_ = nullptr;
    host::Matrix3 matrix_;
    host::Point3 firstPoint_;  // host-driven creation: where the object was placed
    bool left_ = false;
    std::string error_;
};

}  // namespace zg::session
