// Starts the program named by its first argument with no arguments at all,
// not even a program name: the kernel allows it, and a shell cannot do it.
#include <unistd.h>

int main(int argc, char *argv[])
{
	char *none[] = { nullptr };

	if (argc > 1)
		execv(argv[1], none);
	return 127;
}
