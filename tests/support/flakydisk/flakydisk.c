/* A disk that fails on purpose, for tests: serves one disk image as the file `disk` inside a
 * FUSE mount and answers EIO for chosen 512-byte sectors of it. A loop device attached to
 * `disk` then behaves like a medium with bad sectors, under any file system.
 *
 *   zolvane-flakydisk IMAGE MOUNTPOINT -f -s [FUSE options]
 *
 * Single-threaded (-s) only: the failing ranges are shared without locks.
 * The mount holds two files:
 *   disk  the image, read/write, its size fixed. The kernel sees it as direct I/O, so every
 *         read and write reaches this process and no page cache hides a failure.
 *   ctl   takes commands, one a line, which apply at once:
 *           fail-write FIRST[-[LAST]]   writes touching these sectors fail
 *           fail-read FIRST[-[LAST]]    reads touching these sectors fail
 *           fail FIRST[-[LAST]]         both
 *           heal                        nothing fails any more
 *         Sectors count from 0; LAST is inclusive; "FIRST-" runs to the end of the disk.
 *         Reading ctl gives the ranges in force and how many reads and writes failed.
 *
 * A failing write still stores its healthy sectors: only the bad ones never reach the
 * image, as on a real disk, though the whole request reports EIO. A failing read returns
 * no data at all.
 */
#define FUSE_USE_VERSION 31

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define SECTOR 512
#define MAX_RANGES 64
#define FAIL_READ 1
#define FAIL_WRITE 2

struct Range {
    uint64_t first;
    uint64_t last;
    int kinds;
};

static int imageFd = -1;
static uint64_t imageBytes;
static struct Range ranges[MAX_RANGES];
static int rangeCount;
static uint64_t failedReads;
static uint64_t failedWrites;

static int sectorFails(uint64_t sector, int kind) {
    for (int i = 0; i < rangeCount; ++i) {
        if ((ranges[i].kinds & kind) && sector >= ranges[i].first && sector <= ranges[i].last) {
            return 1;
        }
    }
    return 0;
}

static int spanFails(uint64_t offset, size_t size, int kind) {
    if (size == 0) {
        return 0;
    }
    for (uint64_t sector = offset / SECTOR; sector <= (offset + size - 1) / SECTOR; ++sector) {
        if (sectorFails(sector, kind)) {
            return 1;
        }
    }
    return 0;
}

static int addRange(const char* text, int kinds) {
    if (!isdigit((unsigned char)text[0])) {
        return -EINVAL;
    }
    char* end = NULL;
    errno = 0;
    const uint64_t first = strtoull(text, &end, 10);
    uint64_t last = first;
    if (end[0] == '-' && end[1] == '\0') {
        last = UINT64_MAX;
        ++end;
    } else if (end[0] == '-' && isdigit((unsigned char)end[1])) {
        last = strtoull(end + 1, &end, 10);
    }
    if (*end != '\0' || errno != 0 || last < first) {
        return -EINVAL;
    }
    if (rangeCount == MAX_RANGES) {
        return -ENOSPC;
    }
    ranges[rangeCount++] = (struct Range){first, last, kinds};
    return 0;
}

static int runCommand(char* line) {
    char* argument = strchr(line, ' ');
    if (argument != NULL) {
        *argument++ = '\0';
        argument += strspn(argument, " ");
    }
    if (strcmp(line, "heal") == 0 && argument == NULL) {
        rangeCount = 0;
        return 0;
    }
    if (argument == NULL) {
        return -EINVAL;
    }
    if (strcmp(line, "fail-write") == 0) {
        return addRange(argument, FAIL_WRITE);
    }
    if (strcmp(line, "fail-read") == 0) {
        return addRange(argument, FAIL_READ);
    }
    if (strcmp(line, "fail") == 0) {
        return addRange(argument, FAIL_READ | FAIL_WRITE);
    }
    return -EINVAL;
}

static int runCommands(const char* text, size_t size) {
    char* copy = strndup(text, size);
    if (copy == NULL) {
        return -ENOMEM;
    }
    int result = 0;
    char* rest = copy;
    for (char* line = strsep(&rest, "\n"); line != NULL && result == 0;
         line = strsep(&rest, "\n")) {
        line[strcspn(line, "\r")] = '\0';
        if (*line != '\0') {
            result = runCommand(line);
        }
    }
    free(copy);
    return result;
}

static int describeState(char* out, size_t size) {
    size_t used = 0;
    for (int i = 0; i < rangeCount && used < size; ++i) {
        const char* verb = ranges[i].kinds == FAIL_READ    ? "fail-read"
                           : ranges[i].kinds == FAIL_WRITE ? "fail-write"
                                                           : "fail";
        if (ranges[i].last == UINT64_MAX) {
            used += (size_t)snprintf(out + used, size - used, "%s %" PRIu64 "-\n", verb,
                                     ranges[i].first);
        } else {
            used += (size_t)snprintf(out + used, size - used, "%s %" PRIu64 "-%" PRIu64 "\n", verb,
                                     ranges[i].first, ranges[i].last);
        }
    }
    if (used < size) {
        used += (size_t)snprintf(out + used, size - used,
                                 "failed-reads %" PRIu64 "\nfailed-writes %" PRIu64 "\n",
                                 failedReads, failedWrites);
    }
    return (int)(used < size ? used : size - 1);
}

static int flakyGetattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    (void)fi;
    memset(st, 0, sizeof *st);
    st->st_uid = getuid();
    st->st_gid = getgid();
    if (strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
    } else if (strcmp(path, "/disk") == 0) {
        st->st_mode = S_IFREG | 0600;
        st->st_nlink = 1;
        st->st_size = (off_t)imageBytes;
    } else if (strcmp(path, "/ctl") == 0) {
        st->st_mode = S_IFREG | 0600;
        st->st_nlink = 1;
    } else {
        return -ENOENT;
    }
    return 0;
}

static int flakyReaddir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset,
                        struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
    (void)offset;
    (void)fi;
    (void)flags;
    if (strcmp(path, "/") != 0) {
        return -ENOENT;
    }
    fill(buf, ".", NULL, 0, 0);
    fill(buf, "..", NULL, 0, 0);
    fill(buf, "disk", NULL, 0, 0);
    fill(buf, "ctl", NULL, 0, 0);
    return 0;
}

static int flakyOpen(const char* path, struct fuse_file_info* fi) {
    if (strcmp(path, "/disk") != 0 && strcmp(path, "/ctl") != 0) {
        return -ENOENT;
    }
    /* Without this the kernel would cache the disk's pages and write them back whenever it
     * likes, and ctl's size of 0 would hide its text. */
    fi->direct_io = 1;
    return 0;
}

static int flakyRead(const char* path, char* buf, size_t size, off_t offset,
                     struct fuse_file_info* fi) {
    (void)fi;
    if (strcmp(path, "/ctl") == 0) {
        char text[MAX_RANGES * 64 + 128];
        const int length = describeState(text, sizeof text);
        if (offset >= length) {
            return 0;
        }
        const size_t count = (size_t)(length - offset) < size ? (size_t)(length - offset) : size;
        memcpy(buf, text + offset, count);
        return (int)count;
    }
    if (spanFails((uint64_t)offset, size, FAIL_READ)) {
        ++failedReads;
        return -EIO;
    }
    const ssize_t got = pread(imageFd, buf, size, offset);
    return got < 0 ? -errno : (int)got;
}

static int storeHealthySectors(const char* buf, size_t size, uint64_t offset) {
    size_t done = 0;
    while (done < size) {
        const uint64_t at = offset + done;
        const size_t piece = SECTOR - (size_t)(at % SECTOR) < size - done
                                 ? SECTOR - (size_t)(at % SECTOR)
                                 : size - done;
        if (!sectorFails(at / SECTOR, FAIL_WRITE) &&
            pwrite(imageFd, buf + done, piece, (off_t)at) != (ssize_t)piece) {
            return -EIO;
        }
        done += piece;
    }
    return 0;
}

static int flakyWrite(const char* path, const char* buf, size_t size, off_t offset,
                      struct fuse_file_info* fi) {
    (void)fi;
    if (strcmp(path, "/ctl") == 0) {
        const int result = runCommands(buf, size);
        return result < 0 ? result : (int)size;
    }
    if ((uint64_t)offset + size > imageBytes) {
        return -ENOSPC;
    }
    if (spanFails((uint64_t)offset, size, FAIL_WRITE)) {
        ++failedWrites;
        const int result = storeHealthySectors(buf, size, (uint64_t)offset);
        return result < 0 ? result : -EIO;
    }
    const ssize_t put = pwrite(imageFd, buf, size, offset);
    return put < 0 ? -errno : (int)put;
}

/* `echo heal > ctl` truncates first; the disk keeps its size. */
static int flakyTruncate(const char* path, off_t size, struct fuse_file_info* fi) {
    (void)fi;
    if (strcmp(path, "/ctl") == 0) {
        return 0;
    }
    return (uint64_t)size == imageBytes ? 0 : -EPERM;
}

/* The loop device flushes the disk when the file system above asks for a barrier. */
static int flakyFsync(const char* path, int dataOnly, struct fuse_file_info* fi) {
    (void)path;
    (void)dataOnly;
    (void)fi;
    return 0;
}

static const struct fuse_operations operations = {
    .getattr = flakyGetattr,
    .truncate = flakyTruncate,
    .open = flakyOpen,
    .read = flakyRead,
    .write = flakyWrite,
    .fsync = flakyFsync,
    .readdir = flakyReaddir,
};

int main(int argc, char* argv[]) {
    if (argc < 3 || argv[1][0] == '-') {
        fprintf(stderr, "usage: %s IMAGE MOUNTPOINT -f -s [FUSE options]\n", argv[0]);
        return 2;
    }
    imageFd = open(argv[1], O_RDWR | O_CLOEXEC);
    struct stat st;
    if (imageFd < 0 || fstat(imageFd, &st) != 0) {
        fprintf(stderr, "%s: cannot open %s: %s\n", argv[0], argv[1], strerror(errno));
        return 1;
    }
    imageBytes = (uint64_t)st.st_size;
    /* FUSE parses everything after the image name. */
    argv[1] = argv[0];
    return fuse_main(argc - 1, argv + 1, &operations, NULL);
}
