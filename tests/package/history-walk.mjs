// history-walk.mjs: the configuration history through an installed server, as
// a database's owner uses it from the sign-in page: a save, History, Show
// changes, Undo this change and its confirmation, and the administration
// form showing the old values again. Run by scripts/lib/package-checks.d/history.sh
// (history_check) with the server's address in ZEPH_E2E_URL, the database
// made in the program's folder ZEPH_HISTORY_FOLDER with the installed
// zephconf-admin create, and removed again; with ZEPH_HISTORY_EXISTING=1, or
// without ZEPH_HISTORY_TOOL, on a database there already (a hosting account's,
// whose program is at ZEPH_HISTORY_PROGRAM_URL), which the restore leaves as
// it was and which stays. With ZEPH_HISTORY_PROGRAM, the address of the
// database program beside it (the package test's stand-in, which answers the
// database's "SMTP server" line), that program must read what the file holds:
// before, after the save and after the restore.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import { formControls, submittedFields } from '../e2e/lib/form.mjs';
import { formBody, httpRequest, iniValue, readIni, workDir } from '../e2e/lib/site.mjs';

const adminTool = process.env.ZEPH_HISTORY_TOOL;
const folder = process.env.ZEPH_HISTORY_FOLDER;
const dbName = process.env.ZEPH_HISTORY_DATABASE;
const password = process.env.ZEPH_HISTORY_PASSWORD;
const existing = process.env.ZEPH_HISTORY_EXISTING === '1' || !adminTool;
const databaseProgram = process.env.ZEPH_HISTORY_PROGRAM;
const urlPath = process.env.ZEPH_HISTORY_PROGRAM_URL || '/cgi-bin/zephconf';
if (!folder || !dbName || !password) {
  throw new Error('run history-walk.mjs through history_check (scripts/lib/package-checks.d/history.sh)');
}

const NewSmtp = 'history-check.example.net';

// A POST of `fields` for the database; its page, which must be the program's
// answer and hold no password.
async function post(fields, what) {
  const answer = await httpRequest({ method: 'POST', urlPath, body: formBody({ DBName: dbName, password, ...fields }) });
  assert.equal(answer.status, 200, what);
  assert.ok(answer.tls, `${what}: not over HTTPS`);
  assert.ok(!answer.body.includes(password), `${what}: the page holds the administration password`);
  return answer.body;
}

// The database program reads the value the file holds, over the same server.
async function programShows(value, when) {
  if (!databaseProgram) return;
  const answer = await httpRequest({ urlPath: databaseProgram, query: `DBName=${encodeURIComponent(dbName)}` });
  assert.equal(answer.status, 200, `the database program ${when}`);
  assert.equal(answer.body, `SMTP server=${value}\n`, `the database program ${when}`);
}

const file = path.join(folder, dbName, `${dbName}.ini`);
if (!existing) {
  fs.rmSync(path.dirname(file), { recursive: true, force: true });
  const created = spawnSync(adminTool, ['create', path.dirname(file)], { input: `${password}\n`, encoding: 'utf8' });
  assert.equal(created.status, 0, created.stderr);
}
try {
  const oldSmtp = iniValue(readIni(file), 'report', 'SMTP server');
  const before = readIni(file);
  await programShows(oldSmtp, 'before the save');

  // A save to undo, made in the form as served.
  const controls = formControls(await post({ act: 'entrance' }, 'the form'));
  const fields = submittedFields(controls).map(([name, value]) => [name, name === 'SMTP' ? NewSmtp : value]);
  const saved = await httpRequest({ method: 'POST', urlPath, body: formBody([...fields.filter(([name]) => name !== 'password'), ['password', password]]) });
  assert.match(saved.body, /Your database configuration file has been updated!/);
  fs.appendFileSync(path.join(workDir, 'configured'), `${dbName}\n`);
  await programShows(NewSmtp, 'after the save');

  // History: the save on top, by name.
  const list = await post({ act: 'history' }, 'the history');
  const version = /<button type="submit" name="changes" value="([^"]*)">Show changes<\/button>/.exec(list)?.[1];
  assert.ok(version, `no version in the history page:\n${list}`);
  assert.match(list, /<td data-label="Settings changed" class="names">\[report\] SMTP server<\/td>/);

  // Show changes: old → new.
  const changes = await post({ act: 'history', changes: version }, 'the changes');
  assert.ok(changes.includes(`${oldSmtp} &rarr; ${NewSmtp}`), `the changes page does not show the save:\n${changes}`);

  // Undo this change: the confirmation changes nothing, the POST restores.
  const confirmation = await post({ act: 'history', restore: version }, 'the confirmation');
  assert.ok(confirmation.includes(`${NewSmtp} &rarr; ${oldSmtp}`), confirmation);
  assert.equal(iniValue(readIni(file), 'report', 'SMTP server'), NewSmtp);
  const restored = await post({ act: 'restore', version }, 'the restore');
  assert.match(restored, /Configuration restored/);
  assert.equal(readIni(file), before);
  await programShows(oldSmtp, 'after the restore');

  // The form shows the old value again.
  const form = formControls(await post({ act: 'entrance' }, 'the form again'));
  assert.equal(form.find((control) => control.name === 'SMTP').value, oldSmtp);
  console.log(`history through ${process.env.ZEPH_E2E_URL}: a save shown, restored, and the form shows the old value`
    + (databaseProgram ? `; ${databaseProgram} read each value` : ''));
} finally {
  if (!existing) fs.rmSync(path.dirname(file), { recursive: true, force: true });
}
