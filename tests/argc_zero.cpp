// Calls the tool's main with no arguments at all, not even a program name:
// a count of 0 and a vector that holds only the null pointer.  Since Linux
// 5.18 execve() hands such a program {""} instead, so the tool is built
// here with its main renamed and called directly.
#define main verserviceMain
#include "../src/VerService.cpp"
#undef main

int main()
{
	char *none[] = { nullptr };

	return verserviceMain(0, none);
}
