/* Preloaded into the 32-bit Wine processes that run under qemu-i386.
   qemu-user treats MAP_FIXED_NOREPLACE as a hint and may return another
   address; Wine's start-up reservation relies on the strict meaning.
   Restore it: a mapping that did not land where it was asked is undone and
   reported as EEXIST. Built without libc, with raw system calls. */
#ifdef __i386__
#define SYS_munmap 91
#define SYS_mmap2 192
#define MAP_FIXED_NOREPLACE 0x100000
#define EEXIST 17
#define EINVAL 22
#define PAGE_MASK 4095

static long raw_syscall6(long number, long a, long b, long c, long d, long e, long f)
{
    long result;
    /* All six argument registers are taken and ebp cannot be an operand:
       push the sixth argument first, then load it into ebp from the stack. */
    __asm__ volatile(
        "pushl %7\n\t"
        "push %%ebp\n\t"
        "mov 4(%%esp), %%ebp\n\t"
        "int $0x80\n\t"
        "pop %%ebp\n\t"
        "add $4, %%esp"
        : "=a"(result)
        : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e), "g"(f)
        : "memory");
    return result;
}

extern int *__errno_location(void);

static void *finish(long result, void *wanted, int flags, unsigned long length)
{
    if ((unsigned long)result >= (unsigned long)-4095) {
        *__errno_location() = (int)-result;
        return (void *)-1;
    }
    if ((flags & MAP_FIXED_NOREPLACE) && wanted && (void *)result != wanted) {
        raw_syscall6(SYS_munmap, result, (long)length, 0, 0, 0, 0);
        *__errno_location() = EEXIST;
        return (void *)-1;
    }
    return (void *)result;
}

void *mmap64(void *address, unsigned long length, int protection, int flags, int fd,
             long long offset)
{
    /* mmap2 counts the offset in pages, so an unaligned offset would silently
       map the wrong bytes. Wine maps PE sections with 512-byte file alignment
       this way and falls back to reading the file only when it gets EINVAL.
       A page number must also fit the 32-bit register. */
    if ((offset & PAGE_MASK) || ((unsigned long long)offset >> 44)) {
        *__errno_location() = EINVAL;
        return (void *)-1;
    }
    long result = raw_syscall6(SYS_mmap2, (long)address, (long)length, protection, flags, fd,
                               (long)(offset >> 12));
    return finish(result, address, flags, length);
}

void *mmap(void *address, unsigned long length, int protection, int flags, int fd, long offset)
{
    return mmap64(address, length, protection, flags, fd, (long long)offset);
}
#endif
