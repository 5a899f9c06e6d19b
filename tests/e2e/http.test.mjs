// http.test.mjs: requests to the program through lighttpd over HTTP, each compared
// with what the program answers when it is run alone with the same request.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { beforeEach, describe, test } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';

import { formControls, submittedFields } from './lib/form.mjs';
import { comparable, servedAsAlone } from './lib/served.mjs';
import {
  adminPassword, demoIni, fixtureIni, formBody, freshDatabase, httpRequest, iniPathOf, iniValue, readIni,
  RequestTimeoutMs, runProgramAlone, siteDir,
} from './lib/site.mjs';

const DB = 'httpcheck';

// lighttpd's server.breakagelog: the program's standard error, copied raw.
const breakageLog = path.join(siteDir, 'log', 'breakage.log');

function logSize() {
  return fs.existsSync(breakageLog) ? fs.statSync(breakageLog).size : 0;
}

// The marker: a refused password for a database of its own, which logs a line.
const MarkDB = 'logmark';
const markLine = `zephconf: authentication failure for database "${MarkDB}" from 127.0.0.1\n`;

// What the server logged from `from` on, up to the line of a marker request sent
// now. The server may copy a program's line only after it has sent the answer,
// but copies an earlier request's line before a later one's: waiting for the
// marker's line waits for every line of the requests before it, and no longer.
async function loggedSince(from) {
  freshDatabase(MarkDB);
  await httpRequest({ method: 'POST', body: formBody({ DBName: MarkDB, password: 'not-it', act: 'entrance' }) });
  for (const began = performance.now(); ; await sleep(10)) {
    const logged = fs.existsSync(breakageLog) ? fs.readFileSync(breakageLog, 'latin1').slice(from) : '';
    const mark = logged.indexOf(markLine);
    if (mark >= 0) return logged.slice(0, logged.lastIndexOf('\n', mark) + 1);
    if (performance.now() - began > RequestTimeoutMs) throw new Error(`the marker's line is not in ${breakageLog}`);
  }
}

let dbFile;

beforeEach(() => {
  dbFile = freshDatabase(DB);
});

describe('through lighttpd', () => {
  test('the version page', async () => {
    const { alone, served } = await servedAsAlone({ query: 'act=version' }, DB);
    assert.equal(alone.status, 0);
    assert.match(served.body, /The version of ZEP on this server is 5\.31\./);
  });

  test('the sign-in page posts act=entrance, or act=history from its History button, with a database name and password', async () => {
    const page = await httpRequest({ urlPath: '/' });
    assert.equal(page.status, 200);
    const form = /<form action="([^"]*)" method="POST">([\s\S]*?)<\/form>/.exec(page.body);
    assert.ok(form, 'the sign-in page has a POST form');
    assert.equal(form[1], '/cgi-bin/zephconf');
    const names = [...form[2].matchAll(/<input type="(\w+)"[^>]* name="(\w+)"(?: value="([^"]*)")?/g)]
      .map(([, type, name, value]) => `${type}:${name}${value !== undefined ? `=${value}` : ''}`);
    assert.deepEqual(names, ['text:DBName=members', 'password:password', 'hidden:act=entrance']);
  });

  test('the entrance page: the administration form, file unchanged', async () => {
    const body = formBody({ DBName: DB, password: adminPassword, act: 'entrance' });
    const { alone, served } = await servedAsAlone({ method: 'POST', body }, DB);
    assert.equal(alone.status, 0);
    assert.match(served.body, /<form action="\/cgi-bin\/zephconf" method="POST"/);
    assert.match(served.body, new RegExp(`Zephyr Ledger Desk \\(${DB}\\) Administration Page`));
    assert.equal(readIni(dbFile), demoIni);
  });

  test('a Configure POST rewrites the file exactly as the program alone does', async () => {
    const fields = configureFields();
    const body = formBody(fields);
    const logStart = logSize();
    const { alone, served } = await servedAsAlone({ method: 'POST', body }, DB);
    assert.equal(alone.status, 0);
    assert.match(served.body, /Your database configuration file has been updated!/);
    // The update leaves one line in the server's log, with the client's address
    // and the names of what it changed.
    assert.match(await loggedSince(logStart),
      new RegExp(`^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ zephconf: configuration updated for database "${DB}" from 127\\.0\\.0\\.1: changed \\[[^\\n]+\\n$`));
    const after = readIni(dbFile);
    assert.equal(after, alone.ini);
    assert.notEqual(after, demoIni);
    assert.equal(iniValue(after, 'search options', 'found entries per page'), '30');
    assert.equal(iniValue(after, 'file', 'hide files'), '0');
    assert.equal(iniValue(after, 'report', 'Stats subject'), 'Monthly "top" members & <guests>');
    assert.equal(iniValue(after, 'database entry info', 'entry item number'), '3');
    assert.equal(iniValue(after, 'database entry info', 'entry item name'), '*Name,*EMail,Phone');
  });

  const errorCases = [
    { name: 'wrong password', fields: { DBName: DB, password: 'Demo-Admin', act: 'entrance' }, heading: 'Bad password.' },
    { name: 'no such database', fields: { DBName: 'nosuchdb', password: adminPassword, act: 'entrance' }, heading: 'Database initiation file is not present.' },
    { name: 'no action', fields: { DBName: DB, password: adminPassword }, heading: 'Bad html form data.' },
    { name: 'Configure without the item lists', fields: { DBName: DB, password: adminPassword, act: 'Configure' }, heading: 'Bad html form data.' },
    { name: 'no database name', fields: { password: adminPassword, act: 'entrance' }, heading: 'Sorry, you did not indicate which DB' },
  ];
  for (const { name, fields, heading } of errorCases) {
    test(`error page: ${name}, file unchanged`, async () => {
      const logStart = logSize();
      const { alone, served } = await servedAsAlone({ method: 'POST', body: formBody(fields) }, DB);
      assert.equal(alone.status, 1);
      assert.match(served.body, new RegExp(`<font color="#ff0000">${heading.replace(/[.()]/g, '\\$&')}`));
      assert.equal(readIni(dbFile), demoIni);
      // Only a refused password leaves a line in the server's log, with the client's address.
      const logged = await loggedSince(logStart);
      if (heading === 'Bad password.')
        assert.match(logged, new RegExp(`^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ zephconf: authentication failure for database "${DB}" from 127\\.0\\.0\\.1\\n$`));
      else
        assert.equal(logged, '');
    });
  }

  test('the shared shop fixture: its form, filled in and posted back, as the program alone answers', async () => {
    const shop = 'shop';
    const shopFile = freshDatabase(shop, fixtureIni);
    const password = iniValue(fixtureIni, 'Administration', 'Administration password');
    const entrance = formBody({ DBName: shop, password, act: 'entrance' });
    const served = await httpRequest({ method: 'POST', body: entrance });
    assert.equal(served.body, runProgramAlone({ method: 'POST', body: entrance, dbName: shop, ini: fixtureIni }).body);

    const fields = submittedFields(formControls(served.body), password)
      .map(([name, value]) => [name, name === 'SMTP' ? 'mail.shop.example.org' : value]);
    const body = formBody(fields);
    const alone = runProgramAlone({ method: 'POST', body, dbName: shop, ini: fixtureIni });
    const configured = await httpRequest({ method: 'POST', body });
    assert.equal(comparable(configured.body), comparable(alone.body));
    assert.match(configured.body, /Your database configuration file has been updated!/);
    assert.equal(readIni(shopFile), alone.ini);
    assert.equal(iniValue(alone.ini, 'report', 'SMTP server'), 'mail.shop.example.org');
  });

  test('the database folder beside the program is not served, nor its sign-in key', async () => {
    // A Configure's confirmation makes the key.
    const body = formBody({ DBName: DB, password: adminPassword, act: 'Configure', ...configureFields() });
    assert.match((await httpRequest({ method: 'POST', body })).body, /Undo this save/);
    const key = path.join(path.dirname(iniPathOf(DB)), 'zephconf-signin.key');
    assert.ok(fs.existsSync(key), 'the key is made');
    for (const urlPath of [`/cgi-bin/${DB}/${DB}.ini`, '/cgi-bin/members/members.ini', '/cgi-bin/',
      `/cgi-bin/${DB}/zephconf-signin.key`]) {
      const answer = await httpRequest({ urlPath });
      assert.equal(answer.status, 403, urlPath);
      assert.doesNotMatch(answer.body, /Administration password/);
      assert.ok(!answer.body.includes(fs.readFileSync(key, 'latin1')), urlPath);
    }
  });
});

// A complete administration form as a browser submits it, with a few settings changed
// from the demo database's.
function configureFields() {
  return {
    iteminfo: '*Name,40,string\r\n*EMail,60,string\r\nPhone,20,phone\r\n',
    previtem: '*Name,40\r\nEMail,60\r\n',
    Waste: '40',
    HtmlURL: '/DB.html',
    DBURL: '/cgi-bin/zeph.exe',
    ConfURL: '',
    HelpURL: '/help/adminhlp.html',
    EMail: 'webmaster@members.example.org',
    OldDBPath: 'import/members-2023.csv',
    DBFormat: 'Name,EMail,Phone',
    SChar: ';',
    UseCSV: '1',
    CSVItem: 'Name,*EMail,Phone',
    CSVSort: 'Name',
    UsePasswd: '1',
    SearchPasswd: 'lookup',
    ChangePasswd: 'edit-2024',
    AddPasswd: 'join-us',
    CaseSensitivity: '1',
    MasterPasswd: 'clubmaster',
    MaxFoundNumber: '200',
    MaxNumber: '30',
    PagePerSec: '10',
    UseStamp: '1',
    StampIndex: '*Name',
    MasterStamp: '1',
    TimeFormat: '1',
    EntryLife: '0',
    UseCount: '1',
    CountItem: 'Name',
    CountInt: '7',
    TopCount: '10',
    ReportError: '1',
    SMTP: 'smtp.members.example.org',
    Sender: 'zeph@members.example.org',
    Receiver: 'board@members.example.org',
    StatSub: 'Monthly "top" members & <guests>',
    ErrorSub: 'Members database error',
    password: adminPassword,
    act: 'Configure',
    DBName: DB,
  };
}
