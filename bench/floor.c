/* floor.c: the cheapest possible CGI answer, the yardstick of the benchmark:
   a static C program that writes the HTTP header and exits. */
#include <unistd.h>

int main(void)
{
    static const char header[] = "Content-type: text/html\n\n";
    return write(STDOUT_FILENO, header, sizeof header - 1) == sizeof header - 1 ? 0 : 1;
}
