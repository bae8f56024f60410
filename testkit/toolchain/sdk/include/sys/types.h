/* Basic types of the stand-in Lumora SDK. */
#ifndef SYS_TYPES_H
#define SYS_TYPES_H

typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef int BOOL;

#define TRUE 1
#define FALSE 0
#define NULL 0

#endif
