/* iflmfr.spi - import filter that lets picture viewers show the console's
 * .fr bitmap resources.
 *
 * Load the library with dlopen() and look the five functions up by name.
 * All of them use C linkage and the platform's normal calling convention.
 *
 * Input flag: when bits 0-2 of `flag` are all clear, `buf` is a file name and
 * `len` the byte offset at which the resource starts inside that file;
 * otherwise `buf` points to the resource in memory and `len` is its length in
 * bytes (nothing beyond `len` bytes is ever read).
 *
 * Blocks returned by GetPicture are allocated with malloc() and belong to the
 * caller, who releases them with free().
 */
#ifndef IFLMFR_H
#define IFLMFR_H

#include <stdint.h>

#if defined(IFLMFR_BUILDING)
#define IFLMFR_EXPORT __attribute__((visibility("default")))
#else
#define IFLMFR_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define IFLMFR_OK 0
#define IFLMFR_ABORTED 1     /* the progress callback returned nonzero */
#define IFLMFR_UNSUPPORTED 2 /* not a supported bitmap resource */
#define IFLMFR_NO_MEMORY 4
#define IFLMFR_READ_ERROR 6 /* the file cannot be opened or read */
#define IFLMFR_INTERNAL 8   /* invalid arguments (null pointers) */
#define IFLMFR_NOT_IMPLEMENTED (-1)

#define IFLMFR_SUPPORTED_BYTES 2000 /* bytes IsSupported wants to see */

#pragma pack(push, 1)
struct PictureInfo {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    uint16_t x_density;
    uint16_t y_density;
    int16_t colour_depth; /* bits per pixel of the stored picture: 1, 2 or 4 */
    uint32_t info_text;   /* text information handle, always 0 */
};
#pragma pack(pop)

typedef int (*IflmfrProgress)(int step, int total, intptr_t data);

/* index 0: "00IN", 1: description, 2: "*.fr", 3: "fr file(*.fr)".
 * Copies at most buflen bytes, the terminating NUL included, and returns
 * the number of characters copied. Other indexes return 0 and leave the
 * buffer alone. */
IFLMFR_EXPORT int GetPluginInfo(int index, char* buf, int buflen);

/* 1 when the data is a supported bitmap resource, else 0. `dw` above 0xFFFF
 * points to at least the first 2000 bytes of the file; otherwise it is an open
 * file descriptor, read from its current position. */
IFLMFR_EXPORT int IsSupported(const char* filename, intptr_t dw);

IFLMFR_EXPORT int GetPictureInfo(const char* buf, int32_t len, uint32_t flag, struct PictureInfo* info);

/* On success *info_block holds a 40-byte bitmap information header and its
 * colour table, *pixel_block the bottom-up pixel rows. The progress callback
 * (may be null) is called with step 0..5 and total 5; a nonzero answer aborts
 * with IFLMFR_ABORTED. Once the blocks exist (from step 1 on) they are the
 * caller's, also after an abort; before that both are set to null. */
IFLMFR_EXPORT int GetPicture(const char* buf, int32_t len, uint32_t flag, void** info_block,
                             void** pixel_block, IflmfrProgress progress, intptr_t data);

/* Not implemented: always -1. */
IFLMFR_EXPORT int GetPreview(const char* buf, int32_t len, uint32_t flag, void** info_block,
                             void** pixel_block, void* progress, intptr_t data);

#ifdef __cplusplus
}
#endif

#endif
