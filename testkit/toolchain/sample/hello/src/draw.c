#include <sys/liblmc.h>
#include "../hello.h"

/* Shows the frame count under the greeting. */
void draw_counter(int frame)
{
	text_put_numeric(2, 4, 5, 0, frame);
}
