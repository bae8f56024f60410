/*
 * simvane_area.h - the shared area between simvane and a program under test.
 *
 * simvane creates one POSIX shared memory object (default name "/simvane";
 * the environment variable SIMVANE_AREA_NAME picks another, so several runs
 * can live side by side) that stands in for the console's hardware. A
 * program under test maps it with simvane_attach() and reads and writes the
 * fields below at base + offset. Values are little-endian.
 *
 * Usable from C and C++.
 */
#ifndef SIMVANE_AREA_H
#define SIMVANE_AREA_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the area before rounding up to whole pages. */
#define SIMVANE_AREA_SIZE 0x50000
/* Name used when SIMVANE_AREA_NAME is not set. */
#define SIMVANE_AREA_DEFAULT_NAME "/simvane"
/* Value of the version byte at sv_ver_adr. */
#define SIMVANE_VERSION 6

/* Offsets of the fields, from the area's base. */
enum {
    sv_col_chr_adr = 0x0000,    /* character data of the colour model, 1024 tiles of 32 bytes */
    sv_chr_adr = 0x8000,        /* character data, 512 tiles of 16 bytes */
    sv_scr1_adr = 0xA000,       /* screen 1 map, 32 x 32 cells of 2 bytes */
    sv_scr2_adr = 0xA800,       /* screen 2 map */
    sv_spr_adr = 0xB000,        /* sprite table, 128 entries of 4 bytes */
    sv_col_pal_adr = 0xB200,    /* colour palettes, 16 x 16 words 0x0RGB */
    sv_chr_pal_adr = 0xB400,    /* monochrome palettes, 16 words of four 3-bit shade indexes */
    sv_lcd_pal_adr = 0xB420,    /* LCD shade table */
    sv_scr_scrl_adr = 0xB430,   /* scroll: screen 1 x, y, screen 2 x, y */
    sv_scr2_win_adr = 0xB434,   /* screen 2 window: x, y, width, height */
    sv_spr_win_adr = 0xB438,    /* sprite window: x, y, width, height */
    sv_spr_rg_adr = 0xB43C,     /* sprite range: first entry, count */
    sv_disp_adr = 0xB43E,       /* display control word */
    sv_col_mode_adr = 0xB440,   /* colour mode byte: 0, 0x80, 0xC0, 0xE0 */
    sv_seg_adr = 0xB448,        /* LCD segment (icon) word */
    sv_lcd_adr = 0xB44F,        /* LCD control byte (0: LCD off) */
    sv_snd_wave_adr = 0xB500,   /* 4 channels x 16 bytes, 32 four-bit samples each, low nibble first */
    sv_snd_pitch_adr = 0xB540,  /* u16 pitch per channel, 11 bits */
    sv_snd_vol_adr = 0xB548,    /* volume byte per channel: two 4-bit halves */
    sv_snd_sweep_adr = 0xB54C,  /* channel 2 sweep: signed step, period in sound ticks */
    sv_snd_noise_adr = 0xB54E,  /* noise control (not read by simvane) */
    sv_snd_voice_adr = 0xB54F,  /* voice control (not read by simvane) */
    sv_snd_ch_adr = 0xB550,     /* bit i: channel i on; bit 4+i: its second mode (channel 2: sweep) */
    sv_snd_out_adr = 0xB551,    /* sound output control (not read by simvane) */
    sv_key_adr = 0xB600,        /* u16 key word, rewritten every frame */
    sv_key_hit_adr = 0xB602,    /* u16 keys newly pressed since the program cleared it */
    sv_key_hitr_adr = 0xB604,   /* u16 keys newly pressed or repeated since cleared */
    sv_key_rep_adr = 0xB608,    /* byte 0 repeat period, byte 1 delay (0: no repeat), in frames */
    sv_com_tout_adr = 0xB610,   /* s16 receive time-out in frames (negative: no limit) */
    sv_com_ckey_adr = 0xB614,   /* serial cancel key (not read by simvane) */
    sv_com_bps_adr = 0xB616,    /* byte: 0 = 9600 bit/s, other = 38400 bit/s */
    sv_com_cmd_adr = 0xB61A,    /* byte: serial request, cleared when done */
    sv_com_len_adr = 0xB61C,    /* u16 bytes to send or receive; replaced by the count done */
    sv_com_stt_adr = 0xB61E,    /* u16 result: 0 or SV_COM_TIMEOUT */
    sv_tick_adr = 0xB680,       /* u32 frame counter */
    sv_snd_rnd_adr = 0xB6A0,    /* noise state (not read by simvane) */
    sv_hard_adr = 0xB6FF,       /* byte: 0 monochrome model, 1 colour model */
    sv_text_win_adr = 0xB700,   /* text window: x, y, width, height in cells */
    sv_text_base_adr = 0xB704,  /* text character base (not read by simvane) */
    sv_text_pal_adr = 0xB706,   /* text palette (not read by simvane) */
    sv_text_scr_adr = 0xB707,   /* screen holding the text window: 2 = screen 1, 3 = screen 2 */
    sv_text_mode_adr = 0xB708,  /* text mode (not read by simvane) */
    sv_font_col_adr = 0xB70E,   /* font colours (not read by simvane) */
    sv_cur_loc_adr = 0xB710,    /* cursor x, y, width, height in cells, inside the text window */
    sv_cur_type_adr = 0xB714,   /* byte 0 cursor palette, byte 1 blink period in frames */
    sv_cur_adr = 0xB718,        /* byte: cursor on (not 0) or off */
    sv_cur_stt_adr = 0xB719,    /* byte: cursor display state written by simvane (3: shown) */
    sv_flag_disp_adr = 0xB7F5,  /* display flag (not read by simvane) */
    sv_flag_sound_adr = 0xB7F6, /* bit i: restart channel i from the registers; cleared when taken */
    sv_flag_init_adr = 0xB7F7,  /* byte: not 0 while the program under test is not ready */
    sv_ver_adr = 0xB7FF,        /* byte: simulator version */
    sv_com_buf_adr = 0xB800,    /* serial data buffer */
    sv_font_adr = 0x10000       /* font data (not read by simvane) */
};

/* Room of the serial data buffer. */
#define SV_COM_BUF_SIZE 0x4800

/* Key word bits. */
#define SV_KEY_START 0x0002 /* S */
#define SV_KEY_A 0x0004
#define SV_KEY_B 0x0008
#define SV_KEY_X1 0x0010 /* keypad 8 (portrait: keypad 4) */
#define SV_KEY_X2 0x0020 /* keypad 6 (portrait: keypad 8) */
#define SV_KEY_X3 0x0040 /* keypad 2 (portrait: keypad 6) */
#define SV_KEY_X4 0x0080 /* keypad 4 (portrait: keypad 2) */
#define SV_KEY_Y1 0x0100 /* cursor up (portrait: cursor left) */
#define SV_KEY_Y2 0x0200 /* cursor right (portrait: cursor up) */
#define SV_KEY_Y3 0x0400 /* cursor down (portrait: cursor right) */
#define SV_KEY_Y4 0x0800 /* cursor left (portrait: cursor down) */

/* Serial requests written to sv_com_cmd_adr. */
#define SV_COM_NONE 0
#define SV_COM_OPEN 1
#define SV_COM_CLOSE 2
#define SV_COM_SEND 4
#define SV_COM_RECEIVE 8

/* Result word at sv_com_stt_adr. */
#define SV_COM_OK 0
#define SV_COM_TIMEOUT 0x8101

/* Maps the area named by SIMVANE_AREA_NAME (else "/simvane") read-write.
 * Returns its base, or NULL with errno set when simvane is not running. */
void* simvane_attach(void);
/* The same for a given name (starting with '/'). */
void* simvane_attach_named(const char* name);
/* Unmaps an area returned by simvane_attach(); 0 on success, -1 on error. */
int simvane_detach(void* base);
/* Bytes mapped by simvane_attach(): SIMVANE_AREA_SIZE rounded up to whole pages. */
size_t simvane_area_size(void);

/* Field access for programs under test. The area is shared without locks;
 * volatile keeps the compiler from caching fields simvane changes. */
#define SV_U8(base, off) (*(volatile uint8_t*)((volatile uint8_t*)(base) + (off)))
#define SV_U16(base, off) (*(volatile uint16_t*)((volatile uint8_t*)(base) + (off)))
#define SV_U32(base, off) (*(volatile uint32_t*)((volatile uint8_t*)(base) + (off)))

#ifdef __cplusplus
}
#endif

#endif /* SIMVANE_AREA_H */
