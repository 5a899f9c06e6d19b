/* zeph-standin.c: a stand-in for the product's database program in the
 * package test. Like that program it is a CGI program that finds the
 * database DBName (from the query) in the folder DBName/ beside its own path,
 * and reads DBName/DBName.ini there; it answers with one setting of it, the
 * line "SMTP server=VALUE" of the section [report], as plain text. A name
 * that is no plain folder name, or a database it cannot read, is answered
 * with a line saying so. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    const char *query = getenv("QUERY_STRING");
    const char *self = argc > 0 ? argv[0] : "";
    const char *slash = strrchr(self, '/');
    char name[256] = "", path[4096], line[4096];
    int in_report = 0;
    FILE *ini;

    printf("Content-type: text/plain\n\n");
    if (query != NULL && strncmp(query, "DBName=", 7) == 0)
        snprintf(name, sizeof name, "%.*s", (int)strcspn(query + 7, "&"), query + 7);
    if (name[0] == '\0' || strchr(name, '/') || strchr(name, '%') || strcmp(name, ".") == 0 ||
        strcmp(name, "..") == 0) {
        printf("no database named\n");
        return 1;
    }
    /* Beside its own path, as the database program finds its databases. */
    snprintf(path, sizeof path, "%.*s%s/%s.ini", slash ? (int)(slash - self + 1) : 0, self, name, name);
    ini = fopen(path, "r");
    if (ini == NULL) {
        printf("no database %s beside the program\n", name);
        return 1;
    }
    while (fgets(line, sizeof line, ini)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (line[0] == '[')
            in_report = strcmp(line, "[report]") == 0;
        else if (in_report && strncmp(line, "SMTP server=", 12) == 0)
            printf("%s\n", line);
    }
    fclose(ini);
    return 0;
}
