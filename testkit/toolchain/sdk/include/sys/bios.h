/* Console services of the stand-in Lumora SDK: keys, screen, timer, sound. */
#ifndef SYS_BIOS_H
#define SYS_BIOS_H

#include <sys/types.h>

/* key bits returned by key_press_check() */
#define KEY_X1 0x0001
#define KEY_X2 0x0002
#define KEY_X3 0x0004
#define KEY_X4 0x0008
#define KEY_Y1 0x0010
#define KEY_Y2 0x0020
#define KEY_Y3 0x0040
#define KEY_Y4 0x0080
#define KEY_START 0x0100
#define KEY_A 0x0200
#define KEY_B 0x0400

/* keys */
WORD key_press_check(void);
WORD key_hit_check(void);
WORD key_wait(void);

/* screen */
void display_control(WORD flags);
WORD display_status(void);
void screen_set_scroll(int screen, BYTE x, BYTE y);
void screen_fill_char(int screen, int x, int y, int w, int h, WORD code);
void sprite_set_char(int sprite, WORD code);
void sprite_set_location(int sprite, BYTE x, BYTE y);
void lcd_set_color(WORD color0, WORD color1);

/* timer */
void timer_enable(int timer, int reload, WORD count);
void timer_disable(int timer);
DWORD sys_get_tick_count(void);
void sys_wait(DWORD ticks);

/* sound */
void sound_init(void);
void sound_set_channel(int channel);
void sound_set_pitch(int channel, WORD frequency);
void sound_set_volume(int channel, BYTE volume);

/* system */
void sys_exit(int code);

#endif
