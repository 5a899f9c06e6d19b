// Submission.cpp: posting forms to a site's program.
#include "support/Submission.h"

#include "support/Fixture.h"

ProgramAnswer PostFrom(const Site& site, const std::string& address, const FormFields& fields)
{
    ProgramRun run;
    run.body = FormBody(fields);
    run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(run.body.size())},
                       {"REMOTE_ADDR", address}};
    return site.Run(run);
}

ProgramAnswer SubmitForm(const Site& site, const std::string& address,
                         const std::function<void(std::vector<FormControl>&)>& edit)
{
    std::vector<FormControl> controls = FormControls(
        site.Get("act=entrance&DBName=" + FixtureName + "&password=" + UrlEncode(FixturePassword())).output);
    ControlNamed(controls, "password").value = FixturePassword();
    edit(controls);
    return PostFrom(site, address, SubmittedFields(controls));
}
