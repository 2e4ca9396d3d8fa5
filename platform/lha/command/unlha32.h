#ifndef UNLHA32_H
#define UNLHA32_H

/* The archiver library's C interface: one command line of the LHA command
   language per Unlha() call, plus archive checks and a member search.
   Text here is in the operating system's encoding (UTF-8 on Unix); only the
   names inside archive headers are CP932. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#ifdef UNLHA32_BUILDING
#define UNLHA_API __declspec(dllexport)
#else
#define UNLHA_API __declspec(dllimport)
#endif
#else
#define UNLHA_API __attribute__((visibility("default")))
#endif

/* Results of the common archiver interface. Below 0x8000: warnings; from
   0x8000: errors. 0 is success. */
#define ERROR_START 0x8000
#define ERROR_DISK_SPACE 0x8005
#define ERROR_READ_ONLY 0x8006
#define ERROR_USER_SKIP 0x8007
#define ERROR_UNKNOWN_TYPE 0x8008
#define ERROR_METHOD 0x8009
#define ERROR_PASSWORD_FILE 0x800A
#define ERROR_VERSION 0x800B
#define ERROR_FILE_CRC 0x800C
#define ERROR_FILE_OPEN 0x800D
#define ERROR_MORE_FRESH 0x800E
#define ERROR_NOT_EXIST 0x800F
#define ERROR_ALREADY_EXIST 0x8010
#define ERROR_TOO_MANY_FILES 0x8011
#define ERROR_MAKEDIRECTORY 0x8012
#define ERROR_CANNOT_WRITE 0x8013
#define ERROR_HUFFMAN_CODE 0x8014
#define ERROR_COMMENT_HEADER 0x8015
#define ERROR_HEADER_CRC 0x8016
#define ERROR_HEADER_BROKEN 0x8017
#define ERROR_ARC_FILE_OPEN 0x8018
#define ERROR_NOT_ARC_FILE 0x8019
#define ERROR_CANNOT_READ 0x801A
#define ERROR_FILE_STYLE 0x801B
#define ERROR_COMMAND_NAME 0x801C
#define ERROR_MORE_HEAP_MEMORY 0x801D
#define ERROR_ENOUGH_MEMORY 0x801E
#define ERROR_ALREADY_RUNNING 0x801F
#define ERROR_USER_CANCEL 0x8020
#define ERROR_HARC_ISNOT_OPENED 0x8021
#define ERROR_NOT_SEARCH_MODE 0x8022
#define ERROR_NOT_SUPPORT 0x8023
#define ERROR_TIME_STAMP 0x8024
#define ERROR_TMP_OPEN 0x8025
#define ERROR_LONG_FILE_NAME 0x8026
#define ERROR_ARC_READ_ONLY 0x8027
#define ERROR_SAME_NAME_FILE 0x8028
#define ERROR_NOT_FIND_ARC_FILE 0x8029
#define ERROR_RESPONSE_READ 0x802A
#define ERROR_NOT_FILENAME 0x802B
#define ERROR_TMP_COPY 0x802C
#define ERROR_EOF 0x802D

/* UnlhaCheckArchive modes. */
#define CHECKARCHIVE_RAPID 0   /* the first headers */
#define CHECKARCHIVE_BASIC 1   /* every header */
#define CHECKARCHIVE_FULLCRC 2 /* every header and every member's CRC */

#define UNLHA_FNAME_MAX 512

/* What UnlhaFindFirst/UnlhaFindNext report about the member found. */
typedef struct UnlhaIndividualInfo
{
    uint32_t originalSize;
    uint32_t compressedSize;
    uint32_t crc;
    uint32_t flag;
    uint32_t osType;
    uint16_t ratio; /* compressed size per mille of the original */
    uint16_t date;  /* MS-DOS date and time, local */
    uint16_t time;
    char fileName[UNLHA_FNAME_MAX + 1];
    char dummy1[3];
    char attribute[8];
    char mode[8]; /* the method, e.g. "-lh5-" */
} UnlhaIndividualInfo;

typedef void* UNLHA_HARC;

/* Runs one command line ("e", "x", "l", "t", "a", "u", "d"); messages go to
   output (NUL-terminated, cut to size). 0 on success, else an error above. */
UNLHA_API int Unlha(void* hwnd, const char* cmdLine, char* output, unsigned long size);
/* Version times 100 (1.00 -> 100). */
UNLHA_API unsigned short UnlhaGetVersion(void);
/* Non-zero when the archive is sound at the depth the mode asks for. */
UNLHA_API int UnlhaCheckArchive(const char* path, int mode);
/* A handle for the member search, 0 when the archive cannot be opened. */
UNLHA_API UNLHA_HARC UnlhaOpenArchive(void* hwnd, const char* path, unsigned long mode);
/* 0 when a member matching wild was found, -1 at the end, else an error. */
UNLHA_API int UnlhaFindFirst(UNLHA_HARC harc, const char* wild, UnlhaIndividualInfo* info);
UNLHA_API int UnlhaFindNext(UNLHA_HARC harc, UnlhaIndividualInfo* info);
/* The current member's name, NUL-terminated; ERROR_LONG_FILE_NAME when it
   does not fit (the buffer then holds as much as fits, still terminated). */
UNLHA_API int UnlhaGetFileName(UNLHA_HARC harc, char* buffer, int size);
UNLHA_API int UnlhaCloseArchive(UNLHA_HARC harc);

#ifdef __cplusplus
}
#endif

#endif
