/* Shared by the sources of the sample. */
#ifndef HELLO_H
#define HELLO_H

void draw_counter(int frame);

#endif
