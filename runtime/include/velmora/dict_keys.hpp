#pragma once
// How a dict takes its keys: texts and integers are looked up as they stand,
// without first being made into a dyn, which would copy a text key for every
// lookup. Part of libvel.hpp (through containers.hpp, before dict).
#include "dyn.hpp"

// A key as the dict's index reads it: a text (referred to, so it must outlive
// the lookup) or an integer. A dyn that holds neither is not usable: it is
// found nowhere and cannot be stored.
struct vel_dict_key {
    const std::string *textKey = nullptr;  // null for an integer key
    long long number = 0;
    bool usable = true;
};

inline vel_dict_key vel_key_of(const text &key) { return vel_dict_key{&key.data, 0, true}; }
inline vel_dict_key vel_key_of(const std::string &key) { return vel_dict_key{&key, 0, true}; }
// A number is stored truncated to an integer, as dyn::toInt64 gives it.
vel_dict_key vel_key_of(const dyn &key);

// Integers whose value a long long holds exactly, as dyn holds them.
template <class T>
using vel_is_plain_key_integer =
    std::integral_constant<bool, std::is_integral<T>::value && !std::is_same<T, bool>::value &&
                                     !std::is_same<T, char>::value &&
                                     (std::is_signed<T>::value || sizeof(T) < sizeof(long long))>;
template <class T, std::enable_if_t<vel_is_plain_key_integer<T>::value, int> = 0>
vel_dict_key vel_key_of(T key) {
    return vel_dict_key{nullptr, static_cast<long long>(key), true};
}

// The key types that skip the dyn: texts (and the classes derived from text),
// std::string and plain integers. Every other key converts to dyn as before.
template <class K>
using vel_if_direct_key = std::enable_if_t<std::is_base_of<text, K>::value || std::is_same<K, std::string>::value ||
                                               vel_is_plain_key_integer<K>::value,
                                           int>;
