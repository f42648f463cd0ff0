// Freeing the objects of the program's classes: when their last reference
// goes, and, for objects that hold each other in a cycle, by collections of
// cycles.
//
// A cycle that nothing else holds is left when a reference to one of its
// objects goes and the object's count stays above zero (its cycle still
// holds it). Such an object becomes a candidate; an object whose count only
// ever falls to zero, as most do, is never looked at. A collection takes
// the candidates and everything they reach (the group) and finds the
// objects that nothing outside the group holds (trial deletion): each
// object's count less the references the group's objects hold is what
// holds it from outside (variables, parameters, temporaries, objects
// outside the group); the objects with such holders, and everything they
// reach, live; the rest are cycles nobody can reach, and are freed. No
// root has to be known: a reference the collector does not see is one from
// outside.
//
// A collection runs once enough candidates are waiting. Where it finds
// mostly live objects the next one waits for as many candidates as it
// looked at objects, so each object the collections look at again is paid
// for by a candidate; where it frees many, the next one comes sooner.
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
        object->vel_place_in_cycles = static_cast<std::uint32_t>(candidates.size());
        candidates.push_back(object);
        if (!collecting && candidates.size() >= limit) collect();
    }

    // Takes the object out of the candidates: the last one takes its place,
    // so the table holds no holes.
    void remove(const vel_object *object) {
        std::uint32_t place = object->vel_place_in_cycles;
        if (place == vel_object::vel_untracked) return;
        object->vel_place_in_cycles = vel_object::vel_untracked;
        vel_object *last = candidates.back();
        candidates.pop_back();
        if (last != object) {
            last->vel_place_in_cycles = place;
            candidates[place] = last;
        }
    }

    std::size_t size() const { return candidates.size(); }

    void collect() {
        if (collecting) return;
        collecting = true;
        gather();
        findGarbage();
        free();
        if (garbage.size() < group.objects.size() / 8)
            limit = std::max(limit, group.objects.size());
        else
            limit = std::max(limit / 2, minimumLimit);
        collecting = false;
    }

private:
    static constexpr std::size_t minimumLimit = 4096;
    static constexpr std::uint32_t dying = vel_object::vel_untracked - 1;

    // The objects a collection looks at: each one's place is its index
    // here while the collection runs. held[i] is what holds objects[i] from
    // outside the group; passedShared the objects holding a shared
    // container, which the collection could not follow.
    struct Group {
        std::vector<vel_object *> objects;
        std::vector<long long> held;
        std::vector<vel_object *> passedShared;
    };

    // Joins each child to the group and takes the reference to it off its
    // count of holders from outside.
    struct Gather final : vel_tracer {
        Group &group;
        vel_object *holder = nullptr;
        explicit Gather(Group &group) : group(group) {}
        bool visit(vel_object *child) override {
            std::uint32_t place = child->vel_place_in_cycles;
            if (place == vel_object::vel_untracked) {
                place = static_cast<std::uint32_t>(group.objects.size());
                child->vel_place_in_cycles = place;
                group.objects.push_back(child);
                group.held.push_back(child->vel_references);
            }
            --group.held[place];
            return false;
        }
        void passedShared() override { group.passedShared.push_back(holder); }
    };
    // Marks what a held object reaches as held.
    struct Reach final : vel_tracer {
        Group &group;
        std::vector<vel_object *> &pending;
        Reach(Group &group, std::vector<vel_object *> &pending) : group(group), pending(pending) {}
        bool visit(vel_object *child) override {
            long long &held = group.held[child->vel_place_in_cycles];
            if (held == 0) {
                held = 1;
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

    // The candidates and everything they reach, the candidates' table left
    // empty; places are indexes of the group from here on. The tables keep
    // their room from one collection to the next: allocating them anew
    // each time made a program that drops cycles in a loop give memory
    // back to the system and take it again at every collection.
    void gather() {
        group.objects.clear();
        group.held.clear();
        group.passedShared.clear();
        group.objects.swap(candidates);
        for (vel_object *object : group.objects) group.held.push_back(object->vel_references);
        Gather gather(group);
        for (std::size_t i = 0; i < group.objects.size(); ++i) {
            gather.holder = group.objects[i];
            gather.holder->vel_trace(gather);
        }
    }

    void findGarbage() {
        std::size_t count = group.objects.size();
        pending.clear();
        for (std::size_t i = 0; i < count; ++i)
            if (group.held[i] != 0) pending.push_back(group.objects[i]);
        Reach reach(group, pending);
        while (!pending.empty()) {
            vel_object *object = pending.back();
            pending.pop_back();
            object->vel_trace(reach);
        }
        garbage.clear();
        for (std::size_t i = 0; i < count; ++i)
            if (group.held[i] == 0) garbage.push_back(group.objects[i]);
    }

    void free() {
        // The live objects are no longer candidates, but for those holding
        // a shared container: a cycle through it may be left once it is no
        // longer shared, with no count falling, so they stay candidates.
        // They are candidates again before anything is freed, since freeing
        // may free them too.
        for (std::size_t i = 0; i < group.objects.size(); ++i)
            group.objects[i]->vel_place_in_cycles = group.held[i] == 0 ? dying : vel_object::vel_untracked;
        for (vel_object *holder : group.passedShared)
            if (holder->vel_place_in_cycles == vel_object::vel_untracked) add(holder);
        Cut cut;
        for (vel_object *object : garbage) object->vel_trace(cut);
        // What they still hold of other objects goes as their attributes
        // are destroyed; an object still counted was held from where the
        // collector could not see, and stays, a candidate again.
        for (vel_object *object : garbage) {
            object->vel_place_in_cycles = vel_object::vel_untracked;
            if (object->vel_references == 0)
                vel_object::vel_free(object);
            else
                add(object);
        }
    }

    std::vector<vel_object *> candidates;
    Group group;
    std::vector<vel_object *> pending;  // held objects whose reach is still to mark
    std::vector<vel_object *> garbage;
    std::size_t limit = minimumLimit;
    bool collecting = false;
};

void vel_object::vel_suspect(const vel_object *object) { vel_cycles::get().add(const_cast<vel_object *>(object)); }

void vel_object::vel_forget(const vel_object *object) { vel_cycles::get().remove(object); }

std::size_t vel_object::vel_tracked() { return vel_cycles::get().size(); }

void vel_object::vel_collect_cycles() { vel_cycles::get().collect(); }

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

// Elements that a copy shares count once for all the arrays that share them,
// as a dict's entries do.
void velarray::vel_trace(vel_tracer &tracer) {
    if (!items.visitUnshared([&tracer](dyn &element) { element.vel_trace(tracer); })) tracer.passedShared();
}
