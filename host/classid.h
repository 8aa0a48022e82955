// Class identity: a class is known by its super class and a two-word class id.
// Plain values: any thread may use them, and whoever holds one owns it.
#pragma once

#include <cstdint>

namespace host {

using SClass_ID = uint32_t;

// Super classes the host knows.
inline constexpr SClass_ID kParamBlockSuperClassId = 0x82;
inline constexpr SClass_ID kNodeSuperClassId = 0x1;
inline constexpr SClass_ID kHelperSuperClassId = 0x50;     // helper objects
inline constexpr SClass_ID kWSMObjectSuperClassId = 0x830;  // space warps

// A class id: two 32-bit words, equal only when both words are equal.
class Class_ID {
public:
    constexpr Class_ID() = default;
    constexpr Class_ID(uint32_t a, uint32_t b) : a_(a), b_(b) {}
    constexpr uint32_t PartA() const { return a_; }
    constexpr uint32_t PartB() const { return b_; }
    constexpr bool operator==(const Class_ID&) const = default;

private:
    uint32_t a_ = 0;
    uint32_t b_ = 0;
};

// The host's own space warps that act on something other than particles and exert no
// force: a flat barrier and rings of ripples. Plug-ins that gather force fields refuse
// them by these identities; the host's built-in classes carry them.
inline constexpr Class_ID kBarrierClassId{0x1C915E12, 0x5C8E760E};
inline constexpr Class_ID kRippleClassId{0x70AB0669, 0x734F496D};

}  // namespace host
