#pragma once
// The built-in methods that a dyn answers besides its own conversions and
// kind tests: those of texts, arrays and dicts, applied to what the dyn
// holds. velc calls them on a var receiver for every method name of those
// types. Included by dyn.hpp before class dyn, which derives from this.
//
// What each method does with what it meets:
// * A text method (capitalize, lower, replace, ...) works on the text of the
//   value: a text is itself, nil is "", a number its digits, a container
//   its printed form.
// * An array method on a dict works on its values in order, as on a dict
//   variable. A value that is no container reads as the one-element array
//   holding it, nil as the empty array (as dyn::toArray gives).
// * Methods that add elements (push, unshift, merge, concat) make a nil
//   value an empty array (concat: an empty dict) first; on a value that is
//   no container they are the run-time error of writing an element into it.
// * insert is the text method on anything but arrays, dicts and nil.
// * Cursor methods (begin, end, inc, dec, index) move the cursor of a held
//   array or dict and give nil / -1 for any other value.
class text;
class velarray;
class dict;
class dyn;
class vel_ctext;

class vel_dyn_methods {
public:
    // Text methods.
    text capitalize() const;
    int compare(const text &other) const;
    text dup(int times) const;
    void fill(const text &pattern, int count);
    // Arrays and dicts: the position of an element equal to item, from the
    // position from on; anything else: the position of item's text in its text.
    int find(const dyn &item, int from = 0) const;
    int findLast(const dyn &item, int from = -1) const;
    // A held array's or dict's last position (-1 when empty); the last
    // position of any other value's text.
    int findLast() const;
    int findLex(const text &needle, int from = 0) const;
    // 1 when the value is a text with exactly these bytes.
    int identical(const text &other) const;
    void insert(int position, const dyn &item);
    text lower() const;
    text upper() const;
    text lTrim() const;
    text rTrim() const;
    text trim() const;
    text replace(const text &from, const text &to) const;
    void reserve(int capacity);
    text wrap(int width) const;
    // The function a dyn holds as a pointer; 0 for anything else.
    void *toFunction() const;
    vel_ctext toStr() const;

    // Array and dict methods.
    dyn begin();
    dyn end();
    dyn inc();
    dyn dec();
    int index() const;
    void display() const;
    bool empty() const;
    text join(const text &separator) const;
    velarray keys() const;
    void kSort(bool descending = false);
    void ksort(bool descending = false) { kSort(descending); }
    bool load(const text &fileName, int append = 0);
    velarray map(void *f) const;
    template <class R, class P>
    velarray map(R (*f)(P)) const;
    dyn max() const;
    dyn min() const;
    dyn merge(const dyn &other);
    void pack();
    dyn pop();
    void push(const dyn &item);
    dyn rand() const;
    velarray reverse() const;
    dyn shift();
    void sort(int descending = 0);
    void rsort(int ascending = 0);
    void splice(int position, int count);
    bool store(const text &fileName) const;
    double sum() const;
    velarray unique() const;
    void unshift(const dyn &item);
    // A dict's entry put first under the key (nil becomes a dict first).
    void unshift(const text &key, const dyn &item);
    velarray values() const;
    bool hasKey(const dyn &key) const;
    void concat(const dict &other);
    text toXML() const;

private:
    dyn &self();
    const dyn &self() const;
};
