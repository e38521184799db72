/* Preloaded into the 64-bit processes of a test run; it matters to the
   wineserver. The server carries out ReadProcessMemory with pread on
   /proc/PID/mem and WriteProcessMemory with ptrace POKEDATA, at the address
   the Windows program gave. A 32-bit Wine process under qemu-i386 keeps its
   memory at that address plus qemu's guest base (seen here: 0x1000), so
   without this the server read and wrote the page below the one asked for:
   other data or code of the target, which then crashed. For a target that
   runs under qemu-i386, the address is moved by its guest base; every other
   call passes through unchanged. Built without libc, with raw system
   calls. */
#ifdef __x86_64__
#define SYS_read 0
#define SYS_open 2
#define SYS_close 3
#define SYS_pread64 17
#define SYS_pwrite64 18
#define SYS_readlink 89
#define SYS_ptrace 101
#define O_RDONLY 0
#define PTRACE_PEEKTEXT 1
#define PTRACE_PEEKDATA 2
#define PTRACE_POKETEXT 4
#define PTRACE_POKEDATA 5
#define PAGE_MASK 4095UL

extern int *__errno_location(void);

static long raw_syscall4(long number, long a, long b, long c, long d)
{
    long result;
    register long r10 __asm__("r10") = d;
    __asm__ volatile("syscall"
                     : "=a"(result)
                     : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10)
                     : "rcx", "r11", "memory");
    return result;
}

static long finish(long result)
{
    if ((unsigned long)result >= (unsigned long)-4095) {
        *__errno_location() = (int)-result;
        return -1;
    }
    return result;
}

static unsigned long length_of(const char *text)
{
    unsigned long length = 0;
    while (text[length]) {
        ++length;
    }
    return length;
}

static int starts_with(const char *text, const char *prefix)
{
    while (*prefix) {
        if (*text++ != *prefix++) {
            return 0;
        }
    }
    return 1;
}

/* `number` in decimal at `out`; the end of what was written. */
static char *append_number(char *out, long number)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = (char)('0' + number % 10);
        number /= 10;
    } while (number > 0);
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

static char *append(char *out, const char *text)
{
    while (*text) {
        *out++ = *text++;
    }
    return out;
}

/* "<head><number>/<name>" into `out` (at least 64 bytes). */
static void numbered_path(char *out, const char *head, long number, const char *name)
{
    out = append_number(append(out, head), number);
    *append(out, name) = '\0';
}

static void proc_path(char *out, long pid, const char *name)
{
    numbered_path(out, "/proc/", pid, name);
}

/* Up to `size - 1` bytes of a file, terminated; the length read. */
static long read_file(const char *path, char *buffer, long size)
{
    long fd = raw_syscall4(SYS_open, (long)path, O_RDONLY, 0, 0);
    if (fd < 0) {
        return -1;
    }
    long total = 0;
    for (;;) {
        long got = raw_syscall4(SYS_read, fd, (long)(buffer + total), size - 1 - total, 0);
        if (got <= 0 || (total += got) >= size - 1) {
            break;
        }
    }
    raw_syscall4(SYS_close, fd, 0, 0, 0);
    buffer[total < 0 ? 0 : total] = '\0';
    return total;
}

static unsigned long parse_hex(const char **cursor)
{
    unsigned long value = 0;
    for (;; ++*cursor) {
        char c = **cursor;
        if (c >= '0' && c <= '9') {
            value = value * 16 + (unsigned long)(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value = value * 16 + (unsigned long)(c - 'a' + 10);
        } else {
            return value;
        }
    }
}

/* The page-aligned address the 32-bit ELF executable at `path` asks for
   its first loaded segment; 0 when it is no such file. A position-
   independent program asks for none, so it tells nothing about the shift. */
static unsigned long first_load_address(const char *path)
{
    unsigned char header[52 + 8 * 32];
    long fd = raw_syscall4(SYS_open, (long)path, O_RDONLY, 0, 0);
    if (fd < 0) {
        return 0;
    }
    long got = raw_syscall4(SYS_pread64, fd, (long)header, sizeof header, 0);
    raw_syscall4(SYS_close, fd, 0, 0, 0);
    if (got < 52 || !starts_with((const char *)header, "\177ELF") || header[4] != 1 ||
        *(unsigned short *)(header + 16) != 2 /* ET_EXEC */) {
        return 0;
    }
    unsigned long table = *(unsigned int *)(header + 28);
    unsigned int entry_size = *(unsigned short *)(header + 42);
    unsigned int entries = *(unsigned short *)(header + 44);
    for (unsigned int i = 0; i < entries; ++i) {
        unsigned long at = table + (unsigned long)i * entry_size;
        if (at + 32 > (unsigned long)got) {
            break;
        }
        if (*(unsigned int *)(header + at) == 1 /* PT_LOAD */) {
            return *(unsigned int *)(header + at + 8) & ~PAGE_MASK;
        }
    }
    return 0;
}

/* How far qemu-i386 has moved the guest's memory in process `pid`: where
   its program's first segment lies minus where the program asked for it.
   0 for a process that does not run under qemu-i386. */
static unsigned long guest_base_of(long pid)
{
    char path[64];
    char text[256];
    proc_path(path, pid, "/exe");
    long length = raw_syscall4(SYS_readlink, (long)path, (long)text, sizeof text - 1, 0);
    if (length <= 0) {
        return 0;
    }
    text[length] = '\0';
    const char *name = text + length;
    while (name > text && name[-1] != '/') {
        --name;
    }
    if (!starts_with(name, "qemu-i386")) {
        return 0;
    }
    /* The command line is qemu's path, then the guest program's. */
    char command[512];
    proc_path(path, pid, "/cmdline");
    long command_length = read_file(path, command, sizeof command);
    const char *program = command + length_of(command) + 1;
    if (program >= command + command_length || *program != '/') {
        return 0;
    }
    unsigned long asked = first_load_address(program);
    if (asked == 0) {
        return 0;
    }
    static char maps[1 << 18];
    proc_path(path, pid, "/maps");
    read_file(path, maps, sizeof maps);
    unsigned long program_length = length_of(program);
    for (const char *line = maps; *line;) {
        const char *cursor = line;
        unsigned long start = parse_hex(&cursor);
        const char *end = line;
        while (*end && *end != '\n') {
            ++end;
        }
        /* "start-end perms offset dev inode path" */
        const char *offset = cursor;
        for (int field = 0; field < 2 && offset < end; ++offset) {
            field += *offset == ' ';
        }
        const char *file = end;
        while (file > line && file[-1] != ' ') {
            --file;
        }
        if (starts_with(offset, "00000000 ") && (unsigned long)(end - file) == program_length &&
            starts_with(file, program) && start >= asked) {
            return start - asked;
        }
        line = *end ? end + 1 : end;
    }
    return 0;
}

/* The process whose memory file `fd` is, or 0. */
static long memory_file_owner(int fd)
{
    char link[64];
    char target[64];
    numbered_path(link, "/proc/self/fd/", fd, "");
    long length = raw_syscall4(SYS_readlink, (long)link, (long)target, sizeof target - 1, 0);
    if (length < 11) {
        return 0;
    }
    target[length] = '\0';
    if (!starts_with(target, "/proc/") || !starts_with(target + length - 4, "/mem")) {
        return 0;
    }
    long pid = 0;
    for (const char *digit = target + 6; *digit >= '0' && *digit <= '9'; ++digit) {
        pid = pid * 10 + (*digit - '0');
    }
    return pid;
}

static long guest_offset(long offset, int fd)
{
    long owner = memory_file_owner(fd);
    return owner > 0 ? offset + (long)guest_base_of(owner) : offset;
}

long pread64(int fd, void *buffer, unsigned long count, long offset)
{
    return finish(raw_syscall4(SYS_pread64, fd, (long)buffer, (long)count, guest_offset(offset, fd)));
}

long pread(int fd, void *buffer, unsigned long count, long offset)
{
    return pread64(fd, buffer, count, offset);
}

long pwrite64(int fd, const void *buffer, unsigned long count, long offset)
{
    return finish(raw_syscall4(SYS_pwrite64, fd, (long)buffer, (long)count, guest_offset(offset, fd)));
}

long pwrite(int fd, const void *buffer, unsigned long count, long offset)
{
    return pwrite64(fd, buffer, count, offset);
}

/* As the C library's: a peek returns the word read and leaves errno 0. */
long ptrace(int request, long pid, void *address, void *data)
{
    int peek = request == PTRACE_PEEKTEXT || request == PTRACE_PEEKDATA;
    if (peek || request == PTRACE_POKETEXT || request == PTRACE_POKEDATA) {
        address = (char *)address + guest_base_of(pid);
    }
    long word = 0;
    long result = raw_syscall4(SYS_ptrace, request, pid, (long)address,
                               peek ? (long)&word : (long)data);
    if (peek && result >= 0) {
        *__errno_location() = 0;
        return word;
    }
    return finish(result);
}
#endif
