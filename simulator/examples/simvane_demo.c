/*
 * simvane_demo: a small program under test for simvane.
 *
 * It attaches to simvane's area, draws a text line on screen 1 with tiles of
 * its own, puts a sprite on top, moves the sprite with the pad keys (keypad
 * or cursor keys), plays a note at start and on A, sends a line over the
 * serial port at start and on B, and ends on S (start) or after --frames N
 * frames.
 *
 *   simvane &
 *   simvane_demo [--frames N]
 */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "simvane_area.h"

static unsigned char* area;

/* 5 x 7 glyphs for the few letters the demo writes, rows top first. */
static const struct {
    char c;
    unsigned char rows[7];
} glyphs[] = {
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
};

static void sleep_ms(long ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

/* Waits for the next frame; 0 when simvane stopped counting for a second. */
static int wait_frame(void) {
    const uint32_t start = SV_U32(area, sv_tick_adr);
    for (int waited = 0; waited < 1000; waited += 2) {
        if (SV_U32(area, sv_tick_adr) != start) return 1;
        sleep_ms(2);
    }
    return 0;
}

/* Four-bit packed tile: colour `fg` where the glyph has a pixel. */
static void make_tile(int tile, const unsigned char rows[7], int fg) {
    unsigned char* t = area + sv_col_chr_adr + tile * 32;
    memset(t, 0, 32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 5; ++x)
            if (rows[y] & (0x10 >> x)) {
                unsigned char* b = t + (y + 1) * 4 + (x + 1) / 2;
                *b |= (x + 1) % 2 == 0 ? (unsigned char)(fg << 4) : (unsigned char)fg;
            }
}

static int tile_for(char c) {
    for (size_t i = 0; i < sizeof glyphs / sizeof glyphs[0]; ++i)
        if (glyphs[i].c == c) return (int)i + 1;
    return 0;
}

static void write_text(int x, int y, const char* text) {
    for (int i = 0; text[i]; ++i) {
        const size_t cell = sv_scr1_adr + ((size_t)y * 32 + (size_t)x + (size_t)i) * 2;
        area[cell] = (unsigned char)tile_for(text[i]);
        area[cell + 1] = 1 << 1; /* palette 1 */
    }
}

/* Waits until simvane has taken a serial request; 0 on time-out. */
static int serial_request(int request) {
    SV_U8(area, sv_com_cmd_adr) = (uint8_t)request;
    for (int waited = 0; waited < 3000; waited += 2) {
        if (SV_U8(area, sv_com_cmd_adr) == 0) return 1;
        sleep_ms(2);
    }
    return 0;
}

static void play_note(uint16_t pitch) {
    for (int i = 0; i < 16; ++i) area[sv_snd_wave_adr + i] = i < 8 ? 0xFF : 0x00;
    SV_U16(area, sv_snd_pitch_adr) = pitch;
    SV_U8(area, sv_snd_vol_adr) = 0x88;
    SV_U8(area, sv_snd_ch_adr) |= 0x01;
    SV_U8(area, sv_flag_sound_adr) |= 0x01;
}

static void send_line(const char* text) {
    const size_t n = strlen(text);
    memcpy(area + sv_com_buf_adr, text, n);
    SV_U16(area, sv_com_len_adr) = (uint16_t)n;
    SV_U8(area, sv_com_bps_adr) = 1; /* 38400 bit/s */
    if (!serial_request(SV_COM_SEND) || SV_U16(area, sv_com_stt_adr) != SV_COM_OK)
        fprintf(stderr, "simvane_demo: sending failed\n");
}

int main(int argc, char** argv) {
    long frames = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = strtol(argv[++i], NULL, 10);
        } else {
            fprintf(stderr, "usage: simvane_demo [--frames N]\n");
            return 2;
        }
    }
    area = simvane_attach();
    if (area == NULL) {
        perror("simvane_demo: cannot attach to simvane's area (is simvane running?)");
        return 1;
    }
    if (SV_U8(area, sv_ver_adr) != SIMVANE_VERSION) {
        fprintf(stderr, "simvane_demo: unexpected simulator version %d\n", SV_U8(area, sv_ver_adr));
        simvane_detach(area);
        return 1;
    }

    /* Colour mode, packed four-bit tiles. */
    SV_U8(area, sv_col_mode_adr) = 0xE0;
    SV_U16(area, sv_col_pal_adr + (0 * 16 + 0) * 2) = 0x0013; /* background: dark blue */
    SV_U16(area, sv_col_pal_adr + (1 * 16 + 1) * 2) = 0x0FFF; /* text: white */
    SV_U16(area, sv_col_pal_adr + (8 * 16 + 2) * 2) = 0x0F80; /* sprite: orange */
    for (size_t i = 0; i < sizeof glyphs / sizeof glyphs[0]; ++i) make_tile((int)i + 1, glyphs[i].rows, 1);
    const unsigned char block[7] = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
    make_tile(20, block, 2);
    write_text(2, 2, "HELLO SIMVANE");
    unsigned char x = 100, y = 70;
    area[sv_spr_adr + 0] = 20;
    area[sv_spr_adr + 1] = 0x20; /* palette 8, in front */
    area[sv_spr_rg_adr] = 0;
    area[sv_spr_rg_adr + 1] = 1;
    SV_U16(area, sv_disp_adr) = 0x0007 | (0 << 8); /* screens 1 and 2, sprites; background colour 0 */
    SV_U8(area, sv_lcd_adr) = 1;
    SV_U16(area, sv_seg_adr) = 0x0001;
    area[sv_key_rep_adr] = 5;
    area[sv_key_rep_adr + 1] = 30;

    SV_U8(area, sv_flag_init_adr) = 0; /* ready: simvane starts counting */
    if (!serial_request(SV_COM_OPEN) || SV_U16(area, sv_com_stt_adr) != SV_COM_OK)
        fprintf(stderr, "simvane_demo: no serial device; B sends nothing\n");
    else
        send_line("simvane_demo ready\r\n");
    play_note(1792); /* a start-up note of 375 Hz */

    printf("simvane_demo: running (S ends)\n");
    fflush(stdout);
    for (long f = 0; frames == 0 || f < frames; ++f) {
        if (!wait_frame()) {
            fprintf(stderr, "simvane_demo: simvane stopped counting frames\n");
            break;
        }
        const uint16_t keys = SV_U16(area, sv_key_adr);
        const uint16_t hits = SV_U16(area, sv_key_hitr_adr);
        SV_U16(area, sv_key_hitr_adr) = 0;
        if (keys & (SV_KEY_X1 | SV_KEY_Y1)) --y;
        if (keys & (SV_KEY_X3 | SV_KEY_Y3)) ++y;
        if (keys & (SV_KEY_X4 | SV_KEY_Y4)) --x;
        if (keys & (SV_KEY_X2 | SV_KEY_Y2)) ++x;
        area[sv_spr_adr + 2] = x;
        area[sv_spr_adr + 3] = y;
        if (hits & SV_KEY_A) play_note(1792); /* 375 Hz */
        if (hits & SV_KEY_B) send_line("hello from simvane_demo\r\n");
        if (hits & SV_KEY_START) break;
    }
    serial_request(SV_COM_CLOSE);
    SV_U8(area, sv_flag_init_adr) = 255; /* idle again */
    simvane_detach(area);
    printf("simvane_demo: done\n");
    return 0;
}
