#pragma once
// The C++ text and the type of subscripts: indexes, intervals, the empty
// subscript and key ranges, on the read side and on the target side of an
// assignment. The functions are pure apart from their error reports.
#include <string>

enum AccessMode { ACCESS_PLAIN = 0, ACCESS_CURRENT_ELEMENT = 2, ACCESS_RANGE = 3 };

struct IntervalBounds {
    std::string lower = "0";
    std::string upper = "-1";
    int inclusive = 1;   // 1 for "..", 0 for "--"
};

struct SubscriptText {
    std::string text;
    int type;
};

// "[i]" or ".at(i)" and the element's type.
SubscriptText readIndex(int containerType, const std::string &index, bool anotherFollows);

struct TargetSubscript {
    std::string text;
    bool isCall;         // a setter call the assignment closes with ")"
    bool selectsInner;   // only selects the container the next subscript works on
    int type;            // type of the element reached
};

TargetSubscript targetIndex(int containerType, const std::string &index, int nesting,
                            bool anotherFollows);

// One bound of an interval: "0" or "-1" when missing, integers as written,
// anything else through intval().
std::string intervalBound(bool present, const std::string &text, int type, bool isUpper);

IntervalBounds makeInterval(bool hasLower, const std::string &lower, int lowerType,
                            bool hasUpper, const std::string &upper, int upperType,
                            bool inclusive);

// ".slice(lower,upper,flag)"; the result keeps the container's type.
std::string sliceText(const IntervalBounds &bounds);

struct EmptySubscript {
    std::string text;
    int type;
    int accessMode;      // ACCESS_PLAIN when unchanged
    bool accepted;       // false after an interval (reported)
};

// "[]" on the read side: the current element of a container being scanned.
EmptySubscript readEmptySubscript(int containerType, bool afterRange);

// "[]" on the target side: writes at the current key of path.
TargetSubscript targetEmptySubscript(const std::string &path, int containerType, int nesting,
                                     bool anotherFollows);

// A "[key:key]" range: both keys must be texts (reported otherwise).
bool checkKeyRange(int lowerType, int upperType);
