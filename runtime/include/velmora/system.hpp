#pragma once
// Files, directories, time, random numbers and processes, and what every
// program sets up before main. Part of libvel.hpp.
#include "containers.hpp"

// Files.
// A file is a FILE *; a failed open gives a null handle and raises
// dyn::error. Every function below accepts the null handle and gives its
// failure result. The overloads taking a dyn serve var receivers: the dyn
// holds the FILE * (_vel_open's result stored in it), a text is taken as a
// file name where a name makes sense, anything else is the null handle.
FILE *_vel_open(const text &name, const text &mode);
FILE *fopen(const text &name, const text &mode);
// What f.open(name, mode) gives as a value: 1 when the file opened, else 0.
int _vel_opened(FILE *file);
int _vel_opened(const dyn &file);
// A file variable is set to the null handle, so a second close is harmless.
int _vel_fclose(FILE *&file);
int _vel_fclose(FILE *&&file);
int _vel_fclose(dyn &file);  // also sets the variable to nil, so a second close is harmless
int _vel_fclose(const dyn &file);
bool _vel_feof(FILE *file);
bool _vel_feof(const dyn &file);
text fread(FILE *file, int count);
text fread(const dyn &file, int count);
int fwrite(FILE *file, const text &data);
int fwrite(const dyn &file, const text &data);
text fgets(FILE *file);
text fgets(const dyn &file);
void fputs(FILE *file, const text &line);
void fputs(const dyn &file, const text &line);
int fseek(FILE *file, int offset);
int fseek(const dyn &file, int offset);
natural filesize(FILE *file);
natural filesize(const dyn &file);
double filesize(const text &name);
double filesize(const std::string &name);
double filesize(const char *name);
natural filemtime(FILE *file);
natural filemtime(const dyn &file);
double filemtime(const text &name);
double filemtime(const std::string &name);
double filemtime(const char *name);
bool file_exists(const text &name);
bool file_exists(const std::string &name);
bool file_exists(const char *name);
bool file_exists(FILE *file);
bool file_exists(const dyn &file);
text filetype(const text &name);
bool _vel_unlink(const text &name);
bool _vel_ren(const text &from, const text &to);
bool _vel_isfile(const text &name);
velarray _vel_ftoarr(const text &name);
text _vel_ftostr(const text &name);

// C's fclose and feof crash on the null handle of a failed open, and the
// generated code calls them by those names: they are redirected to the
// versions above, which also take a dyn.
#undef fclose
#undef feof
#define fclose(file) _vel_fclose(file)
#define feof(file) _vel_feof(file)

// ---------------------------------------------------------------------------
// Directories, time, random numbers and processes.

// Directories. A directory handle is a dyn holding a _VelmoraDir; nil (a
// failed open_dir) and a closed handle read as the end of the listing.
// Listings leave out "." and "..".
bool _vel_chdir(const text &name);
bool _vel_mkdir(const text &name);
bool _vel_rmdir(const text &name);
bool _vel_isdir(const text &name);
text getcwd();  // "" when the current directory's name is unknown
dyn open_dir(const text &name);
text read_dir(const dyn &directory);  // the next name, "" after the last
void rewind_dir(const dyn &directory);
void close_dir(const dyn &directory);
velarray scandir(const text &name);  // the names, sorted bytewise

// rand() and srand() of the C library are replaced by libvel's own
// generator (random.cpp), the same on every platform: rand() gives
// 0..2^31-1, srand(seed) restarts the sequence, which starts as srand(1).

// A command run by system(). Natively: converted to an integer it is the
// command's exit status (its output goes to the program's standard output);
// converted to a text, a dyn or printed it is the command's standard output.
// The command runs once, at the first conversion, or when the result is
// dropped unused. Under WebAssembly no command can run: -1 and "".
class vel_command {
public:
    explicit vel_command(std::string command) : command(std::move(command)) {}
    vel_command(vel_command &&other) noexcept;
    vel_command(const vel_command &) = delete;
    vel_command &operator=(const vel_command &) = delete;
    ~vel_command();
    operator int() const;
    operator text() const;
    operator dyn() const;
    int status() const;
    text output() const;

private:
    std::string command;
    mutable bool ran = false;
    mutable int exitStatus = -1;
    mutable text captured;
};
vel_command system(const text &command);
std::ostream &operator<<(std::ostream &out, const vel_command &command);
vel_output &operator<<(vel_output &out, const vel_command &command);

// Makes a C++ stream write the reals that are no finite numbers as "nan",
// "inf" and "-inf", whatever the C library, as vel_out writes them: for
// native code of a program that prints reals with std::cout, which it calls
// itself (libvel no longer touches std::cout, which would bring the streams
// into every module).
void vel_use_real_texts();
