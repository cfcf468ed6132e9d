/* The floor a folder scan is measured against: only the work no scan can
 * avoid. It lists the folder once and, for every name ending in .bin, .gba,
 * .agb or .zip (any case), opens the file, reads its first 512 bytes and
 * closes it; for a ZIP archive it opens the archive with minizip, walks to
 * the first .bin/.gba/.agb entry and reads 512 bytes of it. It prints one
 * line per image read (its name) and nothing else: no sorting, no checks.
 *
 * Usage: qb_scan_floor FOLDER
 */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <unzip.h>

enum { kHeaderBytes = 512, kPathMax = 4096, kEntryNameMax = 256 };

/* 1 when the text after the last '.' of `name` equals `upper` in any case. */
static int HasExtension(const char* name, const char* upper) {
    const char* dot = strrchr(name, '.');
    return dot != NULL && strcasecmp(dot + 1, upper) == 0;
}

static int IsImageName(const char* name) {
    return HasExtension(name, "BIN") || HasExtension(name, "GBA") || HasExtension(name, "AGB");
}

static int ReadPlain(const char* path, unsigned char* header) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    const ssize_t got = read(fd, header, kHeaderBytes);
    close(fd);
    return got >= 0;
}

/* Reads the first accepted entry; copies its name into `inner`. */
static int ReadArchive(const char* path, unsigned char* header, char* inner) {
    unzFile zip = unzOpen(path);
    if (zip == NULL) {
        return 0;
    }
    int found = 0;
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK) {
        unz_file_info info;
        if (unzGetCurrentFileInfo(zip, &info, inner, kEntryNameMax, NULL, 0, NULL, 0) != UNZ_OK) {
            break;
        }
        if (IsImageName(inner)) {
            found = 1;
            break;
        }
        status = unzGoToNextFile(zip);
    }
    if (found && unzOpenCurrentFile(zip) == UNZ_OK) {
        unzReadCurrentFile(zip, header, kHeaderBytes);
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return found;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: qb_scan_floor FOLDER\n", stderr);
        return 2;
    }
    DIR* dir = opendir(argv[1]);
    if (dir == NULL) {
        perror(argv[1]);
        return 1;
    }
    static char path[kPathMax];
    const size_t folderLength = strlen(argv[1]);
    if (folderLength + 2 >= sizeof path) {
        fputs("qb_scan_floor: folder path too long\n", stderr);
        closedir(dir);
        return 1;
    }
    memcpy(path, argv[1], folderLength);
    path[folderLength] = '/';

    unsigned char header[kHeaderBytes];
    char inner[kEntryNameMax];
    unsigned long checksum = 0; /* keeps the reads from being optimised away */
    const struct dirent* item;
    while ((item = readdir(dir)) != NULL) {
        const char* name = item->d_name;
        const int isArchive = HasExtension(name, "ZIP");
        if (!isArchive && !IsImageName(name)) {
            continue;
        }
        const size_t nameLength = strlen(name);
        if (folderLength + 1 + nameLength >= sizeof path) {
            continue;
        }
        memcpy(path + folderLength + 1, name, nameLength + 1);
        const int loaded = isArchive ? ReadArchive(path, header, inner) : ReadPlain(path, header);
        if (loaded) {
            checksum += header[0xBD];
            puts(isArchive ? inner : name);
        }
    }
    closedir(dir);
    return checksum == (unsigned long)-1 ? 1 : 0;
}
