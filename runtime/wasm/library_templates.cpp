// libc++ declares its string, stream and sort templates extern: a program
// calls the copies compiled into the prebuilt libc++.a, which Debian builds
// without inlining (std::string::append calls size(), capacity() and
// __is_long() out of line). The same instantiations are defined here, at
// libvel's -O2. velmora.a comes before libc++.a on the link line, so a
// program's first reference takes these; the instantiations are weak on
// both sides, so a libc++ member pulled in for something else does not
// clash with them.
#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

namespace std {

template class basic_string<char>;
template string operator+<char, char_traits<char>, allocator<char>>(const char *, const string &);

template class basic_streambuf<char>;
template class basic_ios<char>;
template class basic_istream<char>;
template class basic_ostream<char>;
template class basic_iostream<char>;
template class basic_stringbuf<char>;
template class basic_istringstream<char>;
template class basic_ostringstream<char>;
template class basic_stringstream<char>;

// Declared extern for the programs in foundations.hpp.
template ostream &__put_character_sequence<char, char_traits<char>>(ostream &, const char *, size_t);
template ostream &operator<< <char_traits<char>>(ostream &, const char *);

template void __sort<__less<int> &, int *>(int *, int *, __less<int> &);
template void __sort<__less<long long> &, long long *>(long long *, long long *, __less<long long> &);
template void __sort<__less<double> &, double *>(double *, double *, __less<double> &);

}  // namespace std
