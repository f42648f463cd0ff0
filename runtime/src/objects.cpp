// Freeing the objects of the program's classes: when their last reference
// goes, and, for objects that hold each other in a cycle, by collections of
// cycles.
//
// A collection finds the objects that nothing outside their own group
// holds (trial deletion, as CPython's collector does it): each object's
// count less the references the other objects of the group hold is what
// holds it from outside (variables, parameters, temporaries, objects not
// looked at); the objects with such holders, and everything they reach,
// live; the rest are cycles nobody can reach, and are freed. No root has
// to be known: a reference the collector does not see is one from outside.
//
// The objects vel_new made are in one table, the young ones (made since
// the last collection) at its end. A collection looks at the young ones
// once enough of them are alive; those that survive become old, and the
// old ones are looked at again once their number has doubled. So each
// object is looked at about once while it is young, and a program that
// makes and drops cycles in a loop keeps at most a few thousand of them.
#include "velmora/libvel.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

class vel_cycles {
public:
    static vel_cycles &get() {
        static vel_cycles *cycles = new vel_cycles;  // never destroyed: objects outlive static destructors
        return *cycles;
    }

    void add(vel_object *object) {
        object->vel_place_in_cycles = static_cast<std::uint32_t>(objects.size());
        objects.push_back(object);
        if (!collecting && objects.size() - youngFrom >= youngLimit) collect(false);
    }

    // Takes the object out of the table. The last object of its generation
    // takes its place (and, for an old one, the last young one that old
    // one's), so the table holds no holes and freeing touches at most two
    // other objects, the young one most likely still in the cache.
    void remove(const vel_object *object) {
        std::uint32_t place = object->vel_place_in_cycles;
        if (place == vel_object::vel_untracked) return;
        object->vel_place_in_cycles = vel_object::vel_untracked;
        std::size_t at = place;
        if (at < youngFrom) {
            std::size_t lastOld = --youngFrom;
            if (at != lastOld) moveTo(at, lastOld);
            at = lastOld;
        }
        if (at != objects.size() - 1) moveTo(at, objects.size() - 1);
        objects.pop_back();
    }

    std::size_t size() const { return objects.size(); }

    // Looks at the young objects, or at all of them; those left are old.
    void collect(bool all) {
        collecting = true;
        std::size_t from = all ? 0 : youngFrom;
        std::size_t looked = objects.size() - from;
        std::vector<vel_object *> garbage = unreachable(from);
        free(garbage);
        youngFrom = objects.size();
        // Where few of the objects looked at were cycles, look less often.
        if (garbage.size() < looked / 8)
            youngLimit = std::min(2 * youngLimit, maximumLimit);
        else
            youngLimit = std::max(youngLimit / 2, minimumLimit);
        if (all)
            oldAfterFull = youngFrom;
        collecting = false;
        if (!all && youngFrom > 2 * oldAfterFull + youngLimit) collect(true);
    }

private:
    static constexpr std::size_t minimumLimit = 4096;
    static constexpr std::size_t maximumLimit = 262144;

    // Puts the object at `from` in the place `to`.
    void moveTo(std::size_t to, std::size_t from) {
        vel_object *moved = objects[from];
        moved->vel_place_in_cycles = static_cast<std::uint32_t>(to);
        objects[to] = moved;
    }

    // The place of a looked-at object among those from `from`, or -1.
    static long placeIn(const vel_object *object, std::size_t from) {
        std::uint32_t place = object->vel_place_in_cycles;
        if (place == vel_object::vel_untracked || place < from) return -1;
        return static_cast<long>(place - from);
    }

    // Subtracts the references the looked-at objects hold to each other.
    struct Subtract final : vel_tracer {
        std::vector<long long> &held;
        std::size_t from;
        Subtract(std::vector<long long> &held, std::size_t from) : held(held), from(from) {}
        bool visit(vel_object *child) override {
            long place = placeIn(child, from);
            if (place >= 0) --held[static_cast<std::size_t>(place)];
            return false;
        }
    };
    // Marks what a held object reaches as held.
    struct Reach final : vel_tracer {
        std::vector<long long> &held;
        std::vector<vel_object *> &pending;
        std::size_t from;
        Reach(std::vector<long long> &held, std::vector<vel_object *> &pending, std::size_t from)
            : held(held), pending(pending), from(from) {}
        bool visit(vel_object *child) override {
            long place = placeIn(child, from);
            if (place >= 0 && held[static_cast<std::size_t>(place)] == 0) {
                held[static_cast<std::size_t>(place)] = 1;
                pending.push_back(child);
            }
            return false;
        }
    };
    // Cuts the references between the objects being freed: each count then
    // falls to what the freed objects held of it, which is all of it.
    struct Cut final : vel_tracer {
        bool visit(vel_object *child) override {
            if (child->vel_place_in_cycles != dying) return false;
            --child->vel_references;
            return true;
        }
    };
    static constexpr std::uint32_t dying = vel_object::vel_untracked - 1;

    std::vector<vel_object *> unreachable(std::size_t from) {
        std::size_t count = objects.size() - from;
        std::vector<long long> held(count);
        for (std::size_t i = 0; i < count; ++i) held[i] = objects[from + i]->vel_references;
        Subtract subtract(held, from);
        for (std::size_t i = 0; i < count; ++i) objects[from + i]->vel_trace(subtract);
        std::vector<vel_object *> pending;
        for (std::size_t i = 0; i < count; ++i)
            if (held[i] != 0) pending.push_back(objects[from + i]);
        Reach reach(held, pending, from);
        while (!pending.empty()) {
            vel_object *object = pending.back();
            pending.pop_back();
            object->vel_trace(reach);
        }
        std::vector<vel_object *> garbage;
        for (std::size_t i = 0; i < count; ++i)
            if (held[i] == 0) garbage.push_back(objects[from + i]);
        return garbage;
    }

    void free(const std::vector<vel_object *> &garbage) {
        for (vel_object *object : garbage) {
            remove(object);
            object->vel_place_in_cycles = dying;
        }
        Cut cut;
        for (vel_object *object : garbage) object->vel_trace(cut);
        // What they still hold of other objects goes as their attributes
        // are destroyed; an object still counted was held from where the
        // collector could not see, and stays.
        for (vel_object *object : garbage) {
            object->vel_place_in_cycles = vel_object::vel_untracked;
            if (object->vel_references == 0) vel_object::vel_free(object);
        }
    }

    std::vector<vel_object *> objects;  // the old, then the young
    std::size_t youngFrom = 0;
    std::size_t oldAfterFull = 0;
    std::size_t youngLimit = minimumLimit;
    bool collecting = false;
};

void vel_object::vel_made(vel_object *object) { vel_cycles::get().add(object); }

std::size_t vel_object::vel_tracked() { return vel_cycles::get().size(); }

void vel_object::vel_collect_cycles() { vel_cycles::get().collect(true); }

namespace {
// Freeing an object frees, inside it, the objects its attributes were the
// last to hold, down to a depth that no stack minds; below that, they wait
// in a list that the outermost call frees in turn. So a tree goes as fast
// as nested deletes go, and a list of a million nodes takes no stack.
constexpr int deepestFreeing = 64;
int freeingDepth = 0;
}  // namespace

void vel_object::vel_free(const vel_object *object) {
    static std::vector<const vel_object *> &waiting = *new std::vector<const vel_object *>;
    vel_cycles::get().remove(object);
    if (freeingDepth == deepestFreeing) {
        waiting.push_back(object);
        return;
    }
    ++freeingDepth;
    delete object;
    if (freeingDepth == 1) {
        while (!waiting.empty()) {
            const vel_object *next = waiting.back();
            waiting.pop_back();
            delete next;
        }
    }
    --freeingDepth;
}

void dyn::vel_trace(vel_tracer &tracer) {
    switch (type) {
    case POINTER:
        if (counted && tracer.visit(static_cast<vel_object *>(pointer))) {
            counted = false;
            type = NIL;
            integer = 0;
        }
        break;
    case ARRAY: arrayValue->vel_trace(tracer); break;
    case DICT: dictValue->vel_trace(tracer); break;
    case PAIR:
        pairValue->key.vel_trace(tracer);
        pairValue->value.vel_trace(tracer);
        break;
    default: break;
    }
}

void velarray::vel_trace(vel_tracer &tracer) {
    for (dyn &element : items) element.vel_trace(tracer);
}
