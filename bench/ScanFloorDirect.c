/* The tight floor a folder scan is measured against: the system calls no scan
 * can do without, made straight, and nothing else. It lists the folder once
 * (getdents64) and, for every name ending in .bin, .gba, .agb or .zip (any
 * case, the text after the last '.'):
 *   - plain image: openat (relative to the folder), fstat, one 512-byte
 *     pread, close;
 *   - ZIP archive: openat, fstat, one pread of the tail (the end-of-directory
 *     record and the central directory: the last 64 KiB + 22 bytes, or the
 *     whole file when smaller), the directory parsed by hand up to the first
 *     .bin/.gba/.agb entry, then the entry's local header and the start of its
 *     data (taken from the tail when the tail holds them, else one pread), and
 *     512 bytes of it inflated with zlib (raw inflate; stored entries copied);
 *     close.
 * A file that is not a regular file is passed over after its fstat.
 *
 * With -w it is instead the floor of hashing whole images: every file, plain
 * or archive, is opened, fstat'ed, read whole with 1 MiB preads (up to its
 * size when opened) and its CRC-32 computed with zlib, then closed. Archives
 * are read as files, not inflated, so it is the floor for a folder of plain
 * images.
 *
 * With -j N the files are read on N threads, each taking the next file in
 * listing order; the output is the same for every N. It is one line per image
 * read, in listing order: a checksum of the 512 bytes, or with -w the CRC-32
 * of the whole file (so that the reads and the inflating cannot be left out),
 * and the image's name (for an archive, the entry's name; with -w the file's).
 * It is written with large write calls at the end.
 *
 * Usage: qb_scan_floor_direct [-j N] [-w] FOLDER
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

enum {
    kHeaderBytes = 512,
    kEndRecordBytes = 22,
    kTailBytes = 65535 + kEndRecordBytes, /* the longest comment and the record */
    kDirEntryBytes = 46,
    kLocalHeaderBytes = 30,
    kWindowBytes = 8192, /* local header, name, extra field and the deflated start */
    kListBytes = 256 * 1024,
    kOutBytes = 64 * 1024,
    kMaxJobs = 256,
    kWholeReadBytes = 1 << 20, /* -w: the read size of whole-image hashing */
};
#define kMaxDirectoryBytes ((uint64_t)64 << 20)

typedef struct {
    size_t nameOffset; /* into the name arena; a pointer after the listing */
    const char* name;
    char* innerName; /* archives: the entry read, owned */
    uint32_t checksum;
    unsigned char isArchive;
    unsigned char loaded;
} Image;

typedef struct {
    int dirFd;
    int wholeFiles; /* -w */
    Image* images;
    size_t count;
    atomic_size_t next;
} Scan;

/* What one thread reuses for every file. */
typedef struct {
    unsigned char tail[kTailBytes];
    unsigned char window[kWindowBytes];
    unsigned char* directory; /* a central directory outside the tail */
    size_t directoryCapacity;
    unsigned char header[kHeaderBytes];
    z_stream inflater;
    unsigned char whole[kWholeReadBytes]; /* -w */
} Scratch;

static uint32_t Le16(const unsigned char* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}

static uint32_t Le32(const unsigned char* p) {
    return Le16(p) | Le16(p + 2) << 16;
}

/* The text after the last '.' of name[0..length), or NULL. */
static const char* Extension(const char* name, size_t length) {
    for (size_t i = length; i-- > 0;) {
        if (name[i] == '.') {
            return name + i + 1;
        }
    }
    return NULL;
}

static int IsImageExtension(const char* ext, size_t length) {
    return length == 3 && ext != NULL &&
           (strncasecmp(ext, "bin", 3) == 0 || strncasecmp(ext, "gba", 3) == 0 ||
            strncasecmp(ext, "agb", 3) == 0);
}

static int IsImageName(const char* name, size_t length) {
    const char* ext = Extension(name, length);
    return ext != NULL && IsImageExtension(ext, length - (size_t)(ext - name));
}

/* A hash of the 512 bytes, taken a 32-bit word at a time: every byte counts. */
static uint32_t Checksum(const unsigned char* bytes) {
    uint32_t sum = 0;
    for (int i = 0; i < kHeaderBytes; i += 4) {
        sum = sum * 31u + Le32(bytes + i);
    }
    return sum;
}

/* Bytes [offset, offset + length) of the file: from the tail when it holds
 * them, else read into `into`. NULL when they cannot be had. */
static const unsigned char* FileBytes(int fd, const unsigned char* tail, uint64_t tailStart,
                                      size_t tailLength, uint64_t offset, size_t length,
                                      unsigned char* into) {
    if (offset >= tailStart && offset + length <= tailStart + tailLength) {
        return tail + (offset - tailStart);
    }
    const ssize_t got = pread(fd, into, length, (off_t)offset);
    return got == (ssize_t)length ? into : NULL;
}

/* The central directory entry of the first accepted entry, or NULL. */
static const unsigned char* FindImageEntry(const unsigned char* dir, size_t dirSize,
                                           uint32_t count) {
    size_t at = 0;
    for (uint32_t i = 0; i < count && at + kDirEntryBytes <= dirSize; ++i) {
        const unsigned char* entry = dir + at;
        if (Le32(entry) != 0x02014B50) {
            return NULL;
        }
        const size_t nameLength = Le16(entry + 28);
        const size_t entryLength =
            kDirEntryBytes + nameLength + Le16(entry + 30) + Le16(entry + 32);
        if (at + kDirEntryBytes + nameLength > dirSize) {
            return NULL;
        }
        if (IsImageName((const char*)entry + kDirEntryBytes, nameLength)) {
            return entry;
        }
        at += entryLength;
    }
    return NULL;
}

/* Fills s->header with the first 512 bytes of the entry's data: `data` holds
 * `available` bytes of it, more are read from the file from `next` on. */
static void InflateStart(int fd, Scratch* s, int method, const unsigned char* data,
                         size_t available, uint64_t next, uint64_t compressedLeft) {
    if (available > compressedLeft) {
        available = (size_t)compressedLeft;
    }
    if (method == 0) { /* stored */
        memcpy(s->header, data, available < kHeaderBytes ? available : kHeaderBytes);
        return;
    }
    if (method != 8 || inflateReset(&s->inflater) != Z_OK) {
        return; /* other methods: the entry counts, its bytes stay zero */
    }
    z_stream* z = &s->inflater;
    z->next_out = s->header;
    z->avail_out = kHeaderBytes;
    for (;;) {
        z->next_in = (unsigned char*)data;
        z->avail_in = (uInt)available;
        compressedLeft -= available;
        const int status = inflate(z, Z_SYNC_FLUSH);
        if (z->avail_out == 0 || status == Z_STREAM_END ||
            (status != Z_OK && status != Z_BUF_ERROR) || compressedLeft == 0) {
            return;
        }
        /* Rare: the window ended before 512 bytes came out. */
        const size_t want = compressedLeft < kWindowBytes ? (size_t)compressedLeft : kWindowBytes;
        const ssize_t got = pread(fd, s->window, want, (off_t)next);
        if (got <= 0) {
            return;
        }
        data = s->window;
        available = (size_t)got;
        next += (uint64_t)got;
    }
}

static int ReadArchive(int fd, uint64_t size, Scratch* s, Image* image) {
    const size_t tailLength = size < kTailBytes ? (size_t)size : kTailBytes;
    const uint64_t tailStart = size - tailLength;
    if (tailLength < kEndRecordBytes ||
        pread(fd, s->tail, tailLength, (off_t)tailStart) != (ssize_t)tailLength) {
        return 0;
    }
    const unsigned char* end = NULL;
    for (size_t at = tailLength - kEndRecordBytes + 1; at-- > 0;) {
        if (Le32(s->tail + at) == 0x06054B50) {
            end = s->tail + at;
            break;
        }
    }
    if (end == NULL) {
        return 0;
    }
    const uint32_t count = Le16(end + 10);
    const uint64_t dirSize = Le32(end + 12);
    const uint64_t dirOffset = Le32(end + 16);
    if (dirOffset + dirSize > size || dirSize > kMaxDirectoryBytes) {
        return 0;
    }
    /* A directory that starts before the tail is read on its own. */
    if (dirOffset < tailStart && dirSize > s->directoryCapacity) {
        unsigned char* grown = realloc(s->directory, (size_t)dirSize);
        if (grown == NULL) {
            return 0;
        }
        s->directory = grown;
        s->directoryCapacity = (size_t)dirSize;
    }
    const unsigned char* dir =
        FileBytes(fd, s->tail, tailStart, tailLength, dirOffset, (size_t)dirSize, s->directory);
    const unsigned char* entry = dir == NULL ? NULL : FindImageEntry(dir, (size_t)dirSize, count);
    if (entry == NULL) {
        return 0;
    }
    image->innerName = strndup((const char*)entry + kDirEntryBytes, Le16(entry + 28));
    if (image->innerName == NULL) {
        return 0;
    }

    /* The local header, its name and extra field, and the start of the data. */
    const uint64_t local = Le32(entry + 42);
    const uint64_t compressed = Le32(entry + 20);
    if (local + kLocalHeaderBytes > size) {
        return 1; /* the entry was found: it counts, its bytes stay zero */
    }
    const size_t windowLength = size - local < kWindowBytes ? (size_t)(size - local) : kWindowBytes;
    const unsigned char* window =
        FileBytes(fd, s->tail, tailStart, tailLength, local, windowLength, s->window);
    if (window == NULL || Le32(window) != 0x04034B50) {
        return 1;
    }
    const int method = (int)Le16(entry + 10);
    const uint64_t dataStart = local + kLocalHeaderBytes + Le16(window + 26) + Le16(window + 28);
    if (dataStart < local + windowLength) {
        const size_t skip = (size_t)(dataStart - local);
        InflateStart(fd, s, method, window + skip, windowLength - skip, local + windowLength,
                     compressed);
    } else { /* an extra field longer than the window: read from the data's start */
        const ssize_t got = pread(fd, s->window, kWindowBytes, (off_t)dataStart);
        const size_t available = got > 0 ? (size_t)got : 0;
        InflateStart(fd, s, method, s->window, available, dataStart + available, compressed);
    }
    return 1;
}

/* -w: the CRC-32 of the whole file, read in 1 MiB reads up to `size`. */
static int CrcWholeFile(int fd, uint64_t size, Scratch* s, Image* image) {
    uLong crc = crc32(0L, Z_NULL, 0);
    for (uint64_t offset = 0; offset < size;) {
        const size_t want =
            size - offset < kWholeReadBytes ? (size_t)(size - offset) : (size_t)kWholeReadBytes;
        const ssize_t got = pread(fd, s->whole, want, (off_t)offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return 0;
        }
        crc = crc32(crc, s->whole, (uInt)got);
        offset += (uint64_t)got;
    }
    image->checksum = (uint32_t)crc;
    return 1;
}

static void ReadImage(int dirFd, int wholeFiles, Scratch* s, Image* image) {
    const int fd = openat(dirFd, image->name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    struct stat st;
    if (wholeFiles) {
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            image->isArchive = 0; /* named as the file it is */
            image->loaded = (unsigned char)CrcWholeFile(fd, (uint64_t)st.st_size, s, image);
        }
    } else if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        memset(s->header, 0, sizeof s->header); /* what a short file or entry leaves */
        if (image->isArchive) {
            image->loaded = (unsigned char)ReadArchive(fd, (uint64_t)st.st_size, s, image);
        } else {
            image->loaded = pread(fd, s->header, kHeaderBytes, 0) >= 0;
        }
        if (image->loaded) {
            image->checksum = Checksum(s->header);
        }
    }
    close(fd);
}

static void* ReadImages(void* arg) {
    Scan* scan = arg;
    Scratch* s = calloc(1, sizeof *s);
    if (s == NULL || inflateInit2(&s->inflater, -15) != Z_OK) {
        fputs("qb_scan_floor_direct: out of memory\n", stderr);
        exit(1);
    }
    for (;;) {
        const size_t i = atomic_fetch_add(&scan->next, 1);
        if (i >= scan->count) {
            break;
        }
        ReadImage(scan->dirFd, scan->wholeFiles, s, &scan->images[i]);
    }
    inflateEnd(&s->inflater);
    free(s->directory);
    free(s);
    return NULL;
}

static void* Grow(void* block, size_t* capacity, size_t needed, size_t unit) {
    if (needed <= *capacity) {
        return block;
    }
    size_t grown = *capacity ? *capacity * 2 : 4096;
    while (grown < needed) {
        grown *= 2;
    }
    void* moved = realloc(block, grown * unit);
    if (moved == NULL) {
        fputs("qb_scan_floor_direct: out of memory\n", stderr);
        exit(1);
    }
    *capacity = grown;
    return moved;
}

/* Lists the folder once; keeps the accepted names in listing order. */
static int ListFolder(Scan* scan, char** arena) {
    static _Alignas(struct dirent64) unsigned char buffer[kListBytes];
    size_t arenaUsed = 0, arenaCapacity = 0, imageCapacity = 0;
    for (;;) {
        const ssize_t got = getdents64(scan->dirFd, buffer, sizeof buffer);
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const struct dirent64* item = (const struct dirent64*)(buffer + at);
            at += item->d_reclen;
            const unsigned char type = item->d_type;
            if (type != DT_REG && type != DT_UNKNOWN && type != DT_LNK) {
                continue;
            }
            const size_t length = strlen(item->d_name);
            const char* ext = Extension(item->d_name, length);
            if (ext == NULL) {
                continue;
            }
            const size_t extLength = length - (size_t)(ext - item->d_name);
            const int isArchive = extLength == 3 && strncasecmp(ext, "zip", 3) == 0;
            if (!isArchive && !IsImageExtension(ext, extLength)) {
                continue;
            }
            *arena = Grow(*arena, &arenaCapacity, arenaUsed + length + 1, 1);
            memcpy(*arena + arenaUsed, item->d_name, length + 1);
            scan->images = Grow(scan->images, &imageCapacity, scan->count + 1, sizeof(Image));
            scan->images[scan->count++] =
                (Image){.nameOffset = arenaUsed, .isArchive = (unsigned char)isArchive};
            arenaUsed += length + 1;
        }
    }
    for (size_t i = 0; i < scan->count; ++i) {
        scan->images[i].name = *arena + scan->images[i].nameOffset;
    }
    return 0;
}

typedef struct {
    char bytes[kOutBytes];
    size_t used;
} Output;

static void Flush(Output* out) {
    for (size_t done = 0; done < out->used;) {
        const ssize_t put = write(STDOUT_FILENO, out->bytes + done, out->used - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            perror("qb_scan_floor_direct: write");
            exit(1);
        }
        done += (size_t)put;
    }
    out->used = 0;
}

static void Put(Output* out, const char* text, size_t length) {
    while (length > 0) {
        if (out->used == sizeof out->bytes) {
            Flush(out);
        }
        const size_t room = sizeof out->bytes - out->used;
        const size_t part = length < room ? length : room;
        memcpy(out->bytes + out->used, text, part);
        out->used += part;
        text += part;
        length -= part;
    }
}

static void PrintImages(const Scan* scan) {
    static Output out;
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < scan->count; ++i) {
        const Image* image = &scan->images[i];
        if (!image->loaded) {
            continue;
        }
        char sum[9];
        for (int digit = 0; digit < 8; ++digit) {
            sum[digit] = kHex[image->checksum >> (28 - 4 * digit) & 0xF];
        }
        sum[8] = ' ';
        Put(&out, sum, sizeof sum);
        const char* name = image->isArchive ? image->innerName : image->name;
        Put(&out, name, strlen(name));
        Put(&out, "\n", 1);
    }
    Flush(&out);
}

int main(int argc, char** argv) {
    long jobs = 1;
    int wholeFiles = 0;
    int option;
    while ((option = getopt(argc, argv, "j:w")) != -1) {
        if (option == 'w') {
            wholeFiles = 1;
            continue;
        }
        char* end = NULL;
        if (option == 'j') {
            jobs = strtol(optarg, &end, 10);
        }
        if (option != 'j' || *end != '\0' || jobs < 1 || jobs > kMaxJobs) {
            fprintf(stderr, "usage: qb_scan_floor_direct [-j N (1-%d)] [-w] FOLDER\n", kMaxJobs);
            return 2;
        }
    }
    if (optind != argc - 1) {
        fprintf(stderr, "usage: qb_scan_floor_direct [-j N (1-%d)] [-w] FOLDER\n", kMaxJobs);
        return 2;
    }
    Scan scan = {.dirFd = open(argv[optind], O_RDONLY | O_DIRECTORY | O_CLOEXEC),
                 .wholeFiles = wholeFiles};
    char* arena = NULL;
    if (scan.dirFd < 0 || ListFolder(&scan, &arena) != 0) {
        perror(argv[optind]);
        return 1;
    }
    atomic_init(&scan.next, 0);

    if (jobs == 1) {
        ReadImages(&scan);
    } else {
        pthread_t threads[kMaxJobs];
        for (long t = 0; t < jobs; ++t) {
            const int error = pthread_create(&threads[t], NULL, ReadImages, &scan);
            if (error != 0) {
                fprintf(stderr, "qb_scan_floor_direct: cannot start a thread: %s\n",
                        strerror(error));
                return 1;
            }
        }
        for (long t = 0; t < jobs; ++t) {
            pthread_join(threads[t], NULL);
        }
    }
    PrintImages(&scan);
    return 0; /* the names and images go with the process, as a scan's would */
}
