// browser.test.mjs: a database owner's session in headless Chromium: sign in on the
// demo site, change settings in the administration form, submit, follow the
// confirmation page's link, sign in again, and check the file byte for byte;
// the history, and a save undone from its confirmation, clicks and typed
// passwords counted.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, beforeEach, test } from 'node:test';
import { chromium } from 'playwright-core';

import {
  adminPassword, baseUrl, demoIni, freshDatabase, iniValue, readIni, withIniValue, workDir,
} from './lib/site.mjs';

const ChromiumPath = '/usr/bin/chromium';
const ChromiumArgs = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];
const StepTimeoutMs = 15000;
const screenshotPath = path.join(workDir, 'admin-form.png');

// A value with every character that HTML gives a meaning to in an attribute.
const MarkupValue = 'Members "top 10" & <new> entries > last week';
const NewItemLine = 'Nickname,20,string';

let context;
let page;
let userDataDir;
let dbFile;

before(async () => {
  assert.ok(fs.existsSync(ChromiumPath), `${ChromiumPath} is missing (Debian package chromium)`);
  userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'zeph-chromium-'));
  context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: ChromiumPath, headless: true, args: ChromiumArgs, timeout: 60000,
  });
  context.setDefaultTimeout(StepTimeoutMs);
  context.setDefaultNavigationTimeout(StepTimeoutMs);
  page = context.pages()[0] ?? await context.newPage();
});

// Every test starts from the demo database as checked in.
beforeEach(() => {
  dbFile = freshDatabase('members');
});

after(async () => {
  await context?.close();
  if (userDataDir) fs.rmSync(userDataDir, { recursive: true, force: true });
});

// From the sign-in page to the administration form of the demo database.
async function signIn() {
  await page.goto(`${baseUrl}/`);
  assert.equal(await page.inputValue('#DBName'), 'members');
  await page.fill('#password', adminPassword);
  await Promise.all([page.waitForURL('**/cgi-bin/zephconf'), page.click('input[type=submit]')]);
  await page.waitForSelector('form input[name=act][value=Configure]', { state: 'attached' });
}

const field = (name) => page.locator(`form [name="${name}"]`);

// The current items as the form lists them, one "name,length,type" line each.
function itemLines(ini) {
  const names = iniValue(ini, 'database entry info', 'entry item name').split(',');
  const lengths = iniValue(ini, 'database entry info', 'entry item DB storage length').split(',');
  const types = iniValue(ini, 'database entry info', 'entry item data type').split(',');
  return names.map((name, i) => `${name},${lengths[i]},${types[i]}\n`).join('');
}

test('submitting the form unchanged leaves the file byte for byte the same', { timeout: 60000 }, async () => {
  await signIn();
  await field('password').fill(adminPassword);
  await Promise.all([page.waitForEvent('load'), page.click('input[type=submit]')]);
  assert.equal(await page.textContent('h1'), 'Your database configuration file has been updated!');
  assert.equal(readIni(dbFile), demoIni);
});

test('sign in, change settings, submit, sign in again: the file holds exactly the changes', { timeout: 120000 }, async () => {
  await signIn();

  // The form shows the file's values.
  const textFields = {
    HtmlURL: ['file', 'html path'], DBURL: ['file', 'exe full URL'],
    EMail: ['contact', 'web master'], SearchPasswd: ['password', 'search entry password'],
    MasterPasswd: ['password', 'masterpassword'], CSVItem: ['formatted csv file options', 'display'],
    StampIndex: ['time stamp', 'time stamp items'], TimeFormat: ['time stamp', 'mode'],
    MaxNumber: ['search options', 'found entries per page'], Waste: ['database entry info', 'maximum waste entries stored in DB'],
    SMTP: ['report', 'SMTP server'], StatSub: ['report', 'Stats subject'],
  };
  for (const [name, [section, key]] of Object.entries(textFields)) {
    assert.equal(await field(name).inputValue(), iniValue(demoIni, section, key), name);
  }
  assert.equal(await field('iteminfo').inputValue(), itemLines(demoIni));
  assert.equal(await field('Hide').isChecked(), true);
  assert.equal(await field('ConvertNew').isChecked(), false);
  assert.equal(await field('password').inputValue(), '');

  // Change a text field, a checkbox and the item list, then submit.
  await field('StatSub').fill(MarkupValue);
  await field('ConvertNew').check();
  await field('iteminfo').fill(itemLines(demoIni) + `${NewItemLine}\n`);
  await field('password').fill(adminPassword);
  await Promise.all([page.waitForEvent('load'), page.click('input[type=submit]')]);

  // The confirmation page and its link to the database's main page.
  await page.waitForSelector('h1');
  assert.equal(await page.textContent('h1'), 'Your database configuration file has been updated!');
  const link = page.locator('a', { hasText: 'Go to the database main page to check it out.' });
  assert.equal(await link.getAttribute('href'), iniValue(demoIni, 'file', 'html path'));
  await Promise.all([page.waitForURL('**/DB.html'), link.click()]);
  assert.equal(await page.title(), 'Members directory');

  // Signed in again, the form shows the new values.
  await signIn();
  assert.equal(await field('StatSub').inputValue(), MarkupValue);
  assert.equal(await field('ConvertNew').isChecked(), true);
  assert.equal(await field('iteminfo').inputValue(), itemLines(demoIni) + `${NewItemLine}\n`);
  assert.equal(await field('Hide').isChecked(), true);
  fs.mkdirSync(workDir, { recursive: true });
  await page.screenshot({ path: screenshotPath, fullPage: true });

  // The file differs from the demo database only in the changed keys.
  let expected = withIniValue(demoIni, 'report', 'Stats subject', MarkupValue);
  expected = withIniValue(expected, 'database entry info', 'convert old items to new items', '1');
  const entry = (key, tail) => [
    'database entry info', key, `${iniValue(demoIni, 'database entry info', key)},${tail}`];
  expected = withIniValue(expected, 'database entry info', 'entry item number', '13');
  expected = withIniValue(expected, ...entry('entry item name', 'Nickname'));
  expected = withIniValue(expected, ...entry('entry item data type', 'string'));
  expected = withIniValue(expected, ...entry('entry item DB storage length', '20'));
  assert.equal(readIni(dbFile), expected);
});

// The history of the demo database as the tests before left it: none.
function withoutHistory() {
  fs.rmSync(path.join(path.dirname(dbFile), 'zephconf-history'), { recursive: true, force: true });
}

// The administration password typed into the page's field, found by its label.
async function typePassword() {
  await page.getByLabel('Administration password').fill(adminPassword);
}

async function clickAndLoad(locator) {
  await Promise.all([page.waitForEvent('load'), locator.click()]);
}

test('sign in to History, show the last save\'s changes, restore the version before it: the form shows the old values',
  { timeout: 120000 }, async () => {
    withoutHistory();
    const oldSmtp = iniValue(demoIni, 'report', 'SMTP server');
    // A save to undo.
    await signIn();
    await field('SMTP').fill('mail.example.net');
    await field('StatSub').fill(MarkupValue);
    await field('password').fill(adminPassword);
    await clickAndLoad(page.locator('input[type=submit]'));
    assert.equal(await page.textContent('h1'), 'Your database configuration file has been updated!');
    const saved = readIni(dbFile);

    // From the sign-in page, its History button.
    await page.goto(`${baseUrl}/`);
    await page.fill('#password', adminPassword);
    await clickAndLoad(page.getByRole('button', { name: 'History' }));
    assert.match(await page.textContent('h1'), /^Configuration history of members$/);
    const rows = page.locator('table.versions tbody tr');
    assert.equal(await rows.count(), 1);
    assert.equal(await rows.first().locator('td[data-label="Settings changed"]').textContent(),
      '[report] SMTP server, [report] Stats subject');
    fs.mkdirSync(workDir, { recursive: true });
    await page.screenshot({ path: path.join(workDir, 'history.png'), fullPage: true });

    // Show changes: old → new, escaped as it was typed; signed in, no password asked.
    assert.equal(await page.locator('input[type=password]').count(), 1, 'only the form opener asks');
    await clickAndLoad(rows.first().getByRole('button', { name: 'Show changes' }));
    const changes = page.locator('td[data-label="Change"]');
    assert.deepEqual(await changes.allTextContents(), [
      `${oldSmtp} → mail.example.net`, `${iniValue(demoIni, 'report', 'Stats subject')} → ${MarkupValue}`]);

    // Undo this change: the confirmation first, then the restore, from the keyboard
    // (the page's first control is the restore's button).
    await clickAndLoad(page.getByRole('button', { name: 'Undo this change' }));
    assert.match(await page.textContent('h1'), /^Undo a change to members$/);
    assert.match(await page.textContent('.goes-back'),
      /^The configuration goes back to what it was before the change made at .+ by 127\.0\.0\.1\.$/);
    assert.equal(await page.locator('.warning').count(), 0);
    await page.screenshot({ path: path.join(workDir, 'restore.png'), fullPage: true });
    assert.equal(readIni(dbFile), saved, 'the confirmation changes nothing');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Undo this change');
    await Promise.all([page.waitForEvent('load'), page.keyboard.press('Enter')]);
    assert.match(await page.textContent('h1'), /^Configuration restored: members$/);
    assert.equal(readIni(dbFile), demoIni);

    // The administration form shows the old values.
    await typePassword();
    await clickAndLoad(page.getByRole('button', { name: 'Open the administration form' }));
    assert.equal(await field('SMTP').inputValue(), oldSmtp);
    assert.equal(await field('StatSub').inputValue(), iniValue(demoIni, 'report', 'Stats subject'));
  });

test('the history page reads on a phone: nothing wider than the screen, every action a button', { timeout: 60000 }, async () => {
  withoutHistory();
  await signIn();
  await field('SMTP').fill('mail.example.net');
  await field('password').fill(adminPassword);
  await clickAndLoad(page.locator('input[type=submit]'));
  const phone = await context.newPage();
  try {
    await phone.setViewportSize({ width: 360, height: 740 });
    await phone.goto(`${baseUrl}/`);
    await phone.fill('#password', adminPassword);
    await Promise.all([phone.waitForEvent('load'), phone.getByRole('button', { name: 'History' }).click()]);
    assert.ok(await phone.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
      'the page scrolls sideways on a phone');
    assert.equal(await phone.getByRole('button', { name: 'Show changes' }).count(), 1);
    assert.equal(await phone.getByRole('button', { name: 'Undo this change' }).count(), 1);
    await phone.screenshot({ path: path.join(workDir, 'history-phone.png'), fullPage: true });
  } finally {
    await phone.close();
  }
});

// Every click that loads a page and every password typed, counted.
function countingWalk(on) {
  const walk = { clicks: 0, passwords: 0 };
  walk.click = async (locator) => {
    walk.clicks += 1;
    await Promise.all([on.waitForEvent('load'), locator.click()]);
  };
  walk.typePassword = async (locator) => {
    walk.passwords += 1;
    await locator.fill(adminPassword);
  };
  return walk;
}

test('sign in, change a setting, save, Undo this save, confirm: two clicks from the save, no password typed again',
  { timeout: 120000 }, async () => {
    withoutHistory();
    const oldSmtp = iniValue(demoIni, 'report', 'SMTP server');
    const walk = countingWalk(page);
    await page.goto(`${baseUrl}/`);
    assert.equal(await page.getAttribute('#DBName', 'autocomplete'), 'username');
    assert.equal(await page.getAttribute('#password', 'autocomplete'), 'current-password');
    await walk.typePassword(page.locator('#password'));
    await walk.click(page.locator('input[type=submit]'));
    await field('SMTP').fill('mail.example.net');
    await walk.typePassword(field('password'));
    await walk.click(page.locator('input[type=submit]'));
    assert.equal(await page.textContent('h1'), 'Your database configuration file has been updated!');
    assert.equal(iniValue(readIni(dbFile), 'report', 'SMTP server'), 'mail.example.net');
    fs.mkdirSync(workDir, { recursive: true });
    await page.screenshot({ path: path.join(workDir, 'undo-save.png'), fullPage: true });
    const atSave = { clicks: walk.clicks, passwords: walk.passwords };

    await walk.click(page.getByRole('button', { name: 'Undo this save' }));
    assert.match(await page.textContent('h1'), /^Undo a change to members$/);
    assert.equal(await page.locator('td[data-label="Change"]').textContent(), `mail.example.net → ${oldSmtp}`);
    await walk.click(page.getByRole('button', { name: 'Undo this change' }));
    assert.match(await page.textContent('h1'), /^Configuration restored: members$/);
    assert.equal(readIni(dbFile), demoIni);
    const undo = { clicks: walk.clicks - atSave.clicks, passwords: walk.passwords - atSave.passwords };
    assert.deepEqual(undo, { clicks: 2, passwords: 0 });
    assert.deepEqual({ clicks: walk.clicks, passwords: walk.passwords }, { clicks: 4, passwords: 2 });
    fs.writeFileSync(path.join(workDir, 'undo-walk.txt'),
      `from the sign-in page to the save undone: ${walk.clicks} clicks, ${walk.passwords} passwords typed; ` +
      `from the save's confirmation: ${undo.clicks} clicks, ${undo.passwords} passwords typed\n`);

    // The form shows the old value: opening it asks for the password, as it always does.
    await typePassword();
    await clickAndLoad(page.getByRole('button', { name: 'Open the administration form' }));
    assert.equal(await field('SMTP').inputValue(), oldSmtp);
  });

test('the sign-in page and a save\'s confirmation read on a phone and on a desktop', { timeout: 60000 }, async () => {
  withoutHistory();
  const phone = await context.newPage();
  try {
    await phone.setViewportSize({ width: 360, height: 740 });
    await phone.goto(`${baseUrl}/`);
    assert.ok(await phone.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
      'the sign-in page scrolls sideways on a phone');
    // Its fieldset keeps a margin from the screen's edges.
    const box = await phone.locator('fieldset').boundingBox();
    assert.ok(box.x >= 8 && box.x + box.width <= 360 - 8, JSON.stringify(box));
    await phone.screenshot({ path: path.join(workDir, 'signin-phone.png'), fullPage: true });
    await phone.fill('#password', adminPassword);
    await Promise.all([phone.waitForEvent('load'), phone.locator('input[type=submit]').click()]);
    await phone.locator('form [name="SMTP"]').fill('mail.example.net');
    await phone.locator('form [name="password"]').fill(adminPassword);
    await Promise.all([phone.waitForEvent('load'), phone.locator('input[type=submit]').click()]);
    await Promise.all([phone.waitForEvent('load'), phone.getByRole('button', { name: 'Undo this save' }).click()]);
    assert.ok(await phone.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
      'the confirmation of the undo scrolls sideways on a phone');
    await phone.screenshot({ path: path.join(workDir, 'undo-phone.png'), fullPage: true });
  } finally {
    await phone.close();
  }
  await page.setViewportSize({ width: 1280, height: 800 });
  await page.goto(`${baseUrl}/`);
  await page.screenshot({ path: path.join(workDir, 'signin.png'), fullPage: true });
});
