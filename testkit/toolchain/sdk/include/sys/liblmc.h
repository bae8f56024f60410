/* Text screen and helper library of the stand-in Lumora SDK. */
#ifndef SYS_LIBLMC_H
#define SYS_LIBLMC_H

#include <sys/types.h>

#define TEXT_MODE_ANK 0
#define TEXT_MODE_SJIS 1

/* text screen */
void text_screen_init(void);
void text_set_mode(int mode);
void text_put_char(int x, int y, WORD code);
void text_put_string(int x, int y, const char *text);
void text_put_numeric(int x, int y, int digits, int flags, int value);
void text_fill_char(int x, int y, int length, WORD code);
void text_cls(void);

/* cursor */
void cursor_display(BOOL on);
void cursor_set_location(int x, int y);

/* numbers and memory */
int lm_rand(void);
void lm_srand(unsigned int seed);
void *lm_memcpy(void *to, const void *from, unsigned int count);
void *lm_memset(void *to, int value, unsigned int count);

#endif
