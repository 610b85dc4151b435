// The tool built with its main renamed, linked as the tool is, and called
// in ways no shell can:
//   probe          main with a count of 0 and a vector that holds only the
//                  null pointer (since Linux 5.18 execve() hands such a
//                  program {""} instead);
//   probe write    main after a write to the image table, which must kill
//                  the process with SIGSEGV before anything is printed.
#define main verserviceMain
#include "../src/VerService.cpp"
#undef main

int main(int argc, char *argv[])
{
	char *none[] = { nullptr };
	char *query[] = { argv[0], const_cast<char *>("-b"),
	    const_cast<char *>(a2pcVersion[0][0]), nullptr };

	if (argc < 2)
		return verserviceMain(0, none);
	*const_cast<const char *volatile *>(&a2pcVersion[0][1]) = "written";
	return verserviceMain(3, query);
}
