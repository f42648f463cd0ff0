// Freeing the objects of the program's classes.
#include "velmora/libvel.hpp"

#include <cstdint>

void vel_object::vel_free(const vel_object *object) {
    // While an object is being freed, the objects its attributes let go of
    // wait in a list, linked through their counts (no reference is left to
    // count); the outermost call frees them in turn.
    static bool freeing = false;
    static const vel_object *waiting = nullptr;
    if (freeing) {
        object->vel_references = reinterpret_cast<std::uintptr_t>(waiting);
        waiting = object;
        return;
    }
    freeing = true;
    delete object;
    while (waiting != nullptr) {
        const vel_object *next = waiting;
        waiting = reinterpret_cast<const vel_object *>(next->vel_references);
        delete next;
    }
    freeing = false;
}
