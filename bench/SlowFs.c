/* A slow file system for the benchmarks: mirrors a source folder read-only
 * through FUSE and makes every request a network share or a slow card would
 * pay for take a fixed extra time. Delayed: opening a folder, the first piece
 * of a listing and one in 16 after it (see SlowReaddir), looking up a name
 * and reading the attributes of anything that is not a folder, opening a file
 * and every read of a file. Folders' attributes come at once, as from a share
 * client's cache: the kernel asks for them again on every path walk, and a
 * program that opens files by their full path would otherwise pay twice.
 *
 * Names are not cached (entry timeout 0), so every open looks its name up
 * again; attributes are (every lookup renews them), so an fstat after an
 * open costs nothing; a file's page cache is dropped at every open. So a scan
 * pays three delays per file: the lookup, the open and one read.
 *
 * Requests are served on up to 64 threads at once, and the kernel may keep 64
 * reads in flight. A request is interruptible: when the process that made it
 * is interrupted or killed, the kernel says so and the delay ends at once with
 * EINTR, so a program that stops never waits for it. (Reads through the page
 * cache are the kernel's own requests and are not interrupted, but a killed
 * process does not wait for them either.)
 *
 * Usage: qb_slow_fs SOURCE MOUNTPOINT DELAY_MS
 * Runs in the foreground until unmounted (fusermount3 -u MOUNTPOINT) or sent
 * SIGINT or SIGTERM; then prints how many requests it delayed to stderr.
 */
#define FUSE_USE_VERSION 312
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

/* The interrupt signal is libfuse's default intr_signal. */
enum { kMaxThreads = 64, kPiecesPerDelay = 16, kInterruptSignal = SIGUSR1 };

enum DelayedKind { kOpendir, kReaddir, kLookup, kOpen, kRead, kKindCount };
static const char* const kKindNames[kKindCount] = {"opendir", "readdir", "lookup/getattr", "open",
                                                   "read"};

typedef struct {
    int sourceFd;
    long long delayNs;
    atomic_ulong delayed[kKindCount];
    atomic_ulong interrupted;
} SlowFs;

static SlowFs* State(void) {
    return fuse_get_context()->private_data;
}

/* The source-relative path of a path in the mount ("/" is the source itself). */
static const char* Relative(const char* path) {
    return path[1] == '\0' ? "." : path + 1;
}

static long long MonotonicNs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

/* Waits out the delay unless the request is interrupted: 0 or -EINTR.
 * libfuse signals the serving thread with kInterruptSignal when the kernel
 * reports an interrupt; the signal stays blocked except inside ppoll, and
 * the interrupt flag is checked before each wait, so none is missed. */
static int Delay(enum DelayedKind kind) {
    SlowFs* fs = State();
    atomic_fetch_add(&fs->delayed[kind], 1);
    if (fs->delayNs <= 0) {
        return 0;
    }
    const long long deadline = MonotonicNs() + fs->delayNs;
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, kInterruptSignal);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    sigset_t waiting = previous;
    sigdelset(&waiting, kInterruptSignal);
    int result = 0;
    for (;;) {
        if (fuse_interrupted()) {
            atomic_fetch_add(&fs->interrupted, 1);
            result = -EINTR;
            break;
        }
        const long long left = deadline - MonotonicNs();
        if (left <= 0) {
            break;
        }
        const struct timespec wait = {.tv_sec = left / 1000000000LL,
                                      .tv_nsec = left % 1000000000LL};
        ppoll(NULL, 0, &wait, &waiting); /* ends early on the interrupt signal */
    }
    pthread_sigmask(SIG_SETMASK, &previous, NULL);
    return result;
}

static void* SlowInit(struct fuse_conn_info* conn, struct fuse_config* cfg) {
    cfg->entry_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->attr_timeout = 60; /* a lookup refreshes them anyway */
    cfg->kernel_cache = 0;  /* a file's pages are dropped when it is opened */
    cfg->intr = 1;          /* the handler for the signal is installed in main */
    cfg->intr_signal = kInterruptSignal;
    /* Attributes with every piece of a listing, not only the first. */
    conn->want &= ~(unsigned)FUSE_CAP_READDIRPLUS_AUTO;
    conn->max_background = kMaxThreads; /* reads through the page cache */
    conn->congestion_threshold = kMaxThreads * 3 / 4;
    return State();
}

/* By path even for an open file: for a folder, libfuse hands over its own
 * handle rather than ours. */
static int SlowGetattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    (void)fi;
    const int got = fstatat(State()->sourceFd, Relative(path), st, AT_SYMLINK_NOFOLLOW);
    const int error = got != 0 ? errno : 0;
    if (error != 0 || !S_ISDIR(st->st_mode)) { /* a missing name costs a round trip too */
        const int interrupted = Delay(kLookup);
        if (interrupted != 0) {
            return interrupted;
        }
    }
    return -error;
}

static int SlowReadlink(const char* path, char* target, size_t size) {
    const ssize_t length = readlinkat(State()->sourceFd, Relative(path), target, size - 1);
    if (length < 0) {
        return -errno;
    }
    target[length] = '\0';
    return 0;
}

static int SlowOpen(const char* path, struct fuse_file_info* fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY) {
        return -EROFS;
    }
    const int interrupted = Delay(kOpen);
    if (interrupted != 0) {
        return interrupted;
    }
    const int fd = openat(State()->sourceFd, Relative(path), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return -errno;
    }
    fi->fh = (uint64_t)fd;
    return 0;
}

static int SlowRead(const char* path, char* buffer, size_t size, off_t offset,
                    struct fuse_file_info* fi) {
    (void)path;
    const int interrupted = Delay(kRead);
    if (interrupted != 0) {
        return interrupted;
    }
    const ssize_t got = pread((int)fi->fh, buffer, size, offset);
    return got < 0 ? -errno : (int)got;
}

static int SlowRelease(const char* path, struct fuse_file_info* fi) {
    (void)path;
    close((int)fi->fh);
    return 0;
}

/* An open folder: the listing and how many pieces of it were asked for. */
typedef struct {
    DIR* dir;
    unsigned pieces;
} Listing;

static int SlowOpendir(const char* path, struct fuse_file_info* fi) {
    const int interrupted = Delay(kOpendir);
    if (interrupted != 0) {
        return interrupted;
    }
    Listing* listing = calloc(1, sizeof *listing);
    const int fd = openat(State()->sourceFd, Relative(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    listing->dir = fd < 0 || listing == NULL ? NULL : fdopendir(fd);
    if (listing == NULL || listing->dir == NULL) {
        const int error = listing == NULL ? ENOMEM : errno;
        if (fd >= 0) {
            close(fd);
        }
        free(listing);
        return -error;
    }
    fi->fh = (uint64_t)(uintptr_t)listing;
    return 0;
}

/* The kernel reads a listing a page at a time; a share hands names out in
 * batches of about 64 KiB, so one piece in 16 (and the first) pays the delay.
 * Each name comes with its attributes, as NFS's READDIRPLUS gives them, so
 * the kernel knows every name after a listing. That matters here: the
 * libfuse of Debian 12 (3.14) does not offer the kernel parallel lookups, and
 * a name the kernel has never seen is looked up under the folder's lock, one
 * at a time; a known name is only checked again, and those checks run side
 * by side. */
static int SlowReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset,
                       struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
    (void)path;
    (void)flags;
    Listing* listing = (Listing*)(uintptr_t)fi->fh;
    if (offset == 0) {
        listing->pieces = 0;
    }
    if (listing->pieces++ % kPiecesPerDelay == 0) {
        const int interrupted = Delay(kReaddir);
        if (interrupted != 0) {
            return interrupted;
        }
    }
    DIR* dir = listing->dir;
    if (offset == 0) {
        rewinddir(dir);
    } else {
        seekdir(dir, offset);
    }
    const struct dirent* item;
    while ((errno = 0, item = readdir(dir)) != NULL) {
        struct stat st;
        const int known = fstatat(dirfd(dir), item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!known) {
            st = (struct stat){.st_ino = item->d_ino, .st_mode = (mode_t)DTTOIF(item->d_type)};
        }
        if (fill(buffer, item->d_name, &st, telldir(dir), known ? FUSE_FILL_DIR_PLUS : 0) != 0) {
            return 0; /* the piece is full: the kernel asks again from here */
        }
    }
    return -errno;
}

static int SlowReleasedir(const char* path, struct fuse_file_info* fi) {
    (void)path;
    Listing* listing = (Listing*)(uintptr_t)fi->fh;
    closedir(listing->dir);
    free(listing);
    return 0;
}

static int SlowStatfs(const char* path, struct statvfs* st) {
    (void)path;
    return fstatvfs(State()->sourceFd, st) == 0 ? 0 : -errno;
}

static const struct fuse_operations kSlowOperations = {
    .init = SlowInit,
    .getattr = SlowGetattr,
    .readlink = SlowReadlink,
    .open = SlowOpen,
    .read = SlowRead,
    .release = SlowRelease,
    .opendir = SlowOpendir,
    .readdir = SlowReaddir,
    .releasedir = SlowReleasedir,
    .statfs = SlowStatfs,
};

static void IgnoreInterruptSignal(int signal) {
    (void)signal; /* it only has to end the ppoll of a delay */
}

static int Serve(SlowFs* fs, const char* mountpoint, const char* program) {
    char* options[] = {(char*)program, "-o", "ro,fsname=qb_slow_fs,subtype=qb_slow_fs", NULL};
    struct fuse_args args = FUSE_ARGS_INIT(3, options);
    struct fuse* fuse = fuse_new(&args, &kSlowOperations, sizeof kSlowOperations, fs);
    if (fuse == NULL) {
        return 1;
    }
    int status = 1;
    if (fuse_mount(fuse, mountpoint) == 0) {
        struct fuse_session* session = fuse_get_session(fuse);
        struct fuse_loop_config* loop = fuse_loop_cfg_create();
        if (loop != NULL && fuse_set_signal_handlers(session) == 0) {
            fuse_loop_cfg_set_max_threads(loop, kMaxThreads);
            fuse_loop_cfg_set_idle_threads(loop, kMaxThreads);
            status = fuse_loop_mt(fuse, loop) == 0 ? 0 : 1;
            fuse_remove_signal_handlers(session);
        }
        fuse_loop_cfg_destroy(loop);
        fuse_unmount(fuse);
    }
    fuse_destroy(fuse);
    return status;
}

int main(int argc, char** argv) {
    char* end = NULL;
    const long delayMs = argc == 4 ? strtol(argv[3], &end, 10) : -1;
    if (argc != 4 || *end != '\0' || delayMs < 0 || delayMs > 3600 * 1000) {
        fputs("usage: qb_slow_fs SOURCE MOUNTPOINT DELAY_MS\n", stderr);
        return 2;
    }
    static SlowFs fs;
    fs.delayNs = delayMs * 1000000LL;
    fs.sourceFd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fs.sourceFd < 0) {
        perror(argv[1]);
        return 1;
    }
    /* libfuse installs a handler for its interrupt signal only when told on
     * its command line, which version 3 no longer accepts; without one the
     * signal would end the process. */
    struct sigaction onInterrupt = {.sa_handler = IgnoreInterruptSignal};
    sigemptyset(&onInterrupt.sa_mask);
    sigaction(kInterruptSignal, &onInterrupt, NULL);
    const int status = Serve(&fs, argv[2], argv[0]);
    fprintf(stderr, "qb_slow_fs: delayed by %ld ms:", delayMs);
    for (int kind = 0; kind < kKindCount; ++kind) {
        fprintf(stderr, " %s %lu,", kKindNames[kind], atomic_load(&fs.delayed[kind]));
    }
    fprintf(stderr, " interrupted %lu\n", atomic_load(&fs.interrupted));
    return status;
}
