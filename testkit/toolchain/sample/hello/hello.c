#include <sys/bios.h>
#include <sys/liblmc.h>
#include "hello.h"

int main(int argc, char *args[])
{
	int frame = 0;

	text_screen_init();
	text_put_string(2, 2, "Hello, Lumora!");
	while (!(key_press_check() & KEY_START)) {
		draw_counter(frame++);
		sys_wait(1);
	}
	return 0;
}
